// kestrin-cfb as a user runs it: a separate process, its exit code, stdout and stderr.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "com_ptr.h"
#include "storage_api.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) % 256);
    return bytes;
}

// Every file below `root`, by relative path, with its contents; folders map to "<dir>".
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        tree[fs::relative(entry.path(), root).string()] =
            entry.is_directory() ? "<dir>" : ReadFile(entry.path());
    return tree;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrin-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path Path(const std::string& name) const { return m_dir / name; }

    Result Run(const std::vector<std::string>& args) const {
        const char* tool = std::getenv("KESTRIN_CFB");
        std::string command = Quote(tool != nullptr ? tool : KESTRIN_CFB_PATH);
        for (const auto& arg : args)
            command += ' ' + Quote(arg);
        const fs::path out = Path(".out"), err = Path(".err");
        const int status = std::system((command + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
    }
    static std::string Quote(const std::string& arg) {
        std::string quoted = "'";
        for (const char c : arg)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    }

    // Packs a tree of the interesting sizes and names into "packed.cfb".
    std::map<std::string, std::string> PackSample(bool version4) {
        const fs::path in = Path("in");
        fs::create_directories(in / "Storage 1" / "Inner");
        const std::map<std::string, std::string> files{
            {"empty", ""},
            {"a4095", Pattern(4095)},
            {"a4096", Pattern(4096)},
            {"a4097", Pattern(4097)},
            {"日本語の名前", "こんにちは"},
            {"\\x05SummaryInformation", "\x05\x01summary"},
            {"Storage 1/Big stream", Pattern(300000)},
            {"Storage 1/Inner/x", "xyz"},
        };
        for (const auto& [name, bytes] : files)
            WriteFile(in / name, bytes);
        std::vector<std::string> args{"pack", in.string(), Path("packed.cfb").string()};
        if (version4)
            args.push_back("--v4");
        const Result packed = Run(args);
        EXPECT_EQ(packed.code, 0) << packed.err;
        return files;
    }

    fs::path m_dir;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class CliRoundTrip : public CliTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CliRoundTrip, PackListCatUnpack) {
    const bool version4 = GetParam();
    const auto files = PackSample(version4);
    const std::string file = Path("packed.cfb").string();
    EXPECT_EQ(ReadFile(file)[26], version4 ? 4 : 3);

    const Result listed = Run({"list", file});
    ASSERT_EQ(listed.code, 0) << listed.err;
    // The order, depth first in directory order, is the interop tests' to check.
    std::vector<std::string> lines = Lines(listed.out);
    std::sort(lines.begin(), lines.end());
    std::vector<std::string> expected{
        "storage\t0\tStorage 1",
        "storage\t0\tStorage 1/Inner",
        "stream\t0\tempty",
        "stream\t15\t日本語の名前",
        "stream\t300000\tStorage 1/Big stream",
        "stream\t3\tStorage 1/Inner/x",
        "stream\t4095\ta4095",
        "stream\t4096\ta4096",
        "stream\t4097\ta4097",
        "stream\t9\t\\x05SummaryInformation",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);

    for (const auto& [name, bytes] : files) {
        const Result cat = Run({"cat", file, name});
        EXPECT_EQ(cat.code, 0) << name << ": " << cat.err;
        EXPECT_TRUE(cat.out == bytes) << name << ": " << cat.out.size() << " bytes";
    }

    const Result unpacked = Run({"unpack", file, Path("out").string()});
    ASSERT_EQ(unpacked.code, 0) << unpacked.err;
    EXPECT_TRUE(Tree(Path("in")) == Tree(Path("out")));

    const Result checked = Run({"check", file});
    EXPECT_EQ(checked.code, 0) << checked.out;
    EXPECT_EQ(checked.out, "");
}

INSTANTIATE_TEST_SUITE_P(Versions, CliRoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "V4" : "V3"; });

TEST_F(CliTest, PokeEditsInPlaceAndGrowsAcrossTheCutoff) {
    fs::create_directories(Path("in/dir"));
    WriteFile(Path("in/s"), "0123456789");
    WriteFile(Path("in/dir/t"), Pattern(5000));
    const std::string file = Path("p.cfb").string();
    ASSERT_EQ(Run({"pack", Path("in").string(), file}).code, 0);

    Result poked = Run({"poke", file, "s", "2", "DEADbeef"});
    ASSERT_EQ(poked.code, 0) << poked.err;
    EXPECT_EQ(Run({"cat", file, "s"}).out, "01\xDE\xAD\xBE\xEF"
                                           "6789");

    // Past the end: the gap reads as zeros, and the stream leaves the mini stream.
    poked = Run({"poke", file, "s", "0x1000", "01"});
    ASSERT_EQ(poked.code, 0) << poked.err;
    std::string grown = "01\xDE\xAD\xBE\xEF"
                        "6789";
    grown.resize(4096, '\0');
    grown += '\x01';
    EXPECT_TRUE(Run({"cat", file, "s"}).out == grown);

    poked = Run({"poke", file, "dir/t", "4998", "AABBCC"});
    ASSERT_EQ(poked.code, 0) << poked.err;
    std::string t = Pattern(4998) + "\xAA\xBB\xCC";
    EXPECT_TRUE(Run({"cat", file, "dir/t"}).out == t);
    EXPECT_NE(Run({"list", file}).out.find("stream\t5001\tdir/t"), std::string::npos);

    const Result checked = Run({"check", file});
    EXPECT_EQ(checked.code, 0) << checked.out;
}

// This process holds the file as the editor does (transacted, deny-write) with one change
// committed and more pending; the tool runs as another process beside it.
TEST_F(CliTest, ReadingCommandsShowTheLastCommitBesideAnEditor) {
    fs::create_directories(Path("in"));
    WriteFile(Path("in/s"), "saved once");
    WriteFile(Path("in/gone"), "kept until a commit");
    const std::string file = Path("held.cfb").string();
    ASSERT_EQ(Run({"pack", Path("in").string(), file}).code, 0);

    const std::u16string name(file.begin(), file.end());
    ComPtr<IStorage> root;
    ASSERT_EQ(StgOpenStorage(name.c_str(), nullptr,
                             STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_DENY_WRITE, nullptr, 0,
                             root.Put()),
              S_OK);
    const auto writeStream = [&](const char16_t* stream, const std::string& bytes) {
        ComPtr<IStream> opened;
        ASSERT_EQ(root->CreateStream(stream, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                     0, opened.Put()),
                  S_OK);
        ASSERT_EQ(opened->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr), S_OK);
    };
    writeStream(u"s", "saved twice");
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    writeStream(u"s", Pattern(100000));
    writeStream(u"pending", "not saved");
    ASSERT_EQ(root->DestroyElement(u"gone"), S_OK);

    const Result listed = Run({"list", file});
    ASSERT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(listed.out, "stream\t11\ts\nstream\t19\tgone\n");
    const Result cat = Run({"cat", file, "s"});
    EXPECT_EQ(cat.code, 0) << cat.err;
    EXPECT_EQ(cat.out, "saved twice");
    const Result unpacked = Run({"unpack", file, Path("out").string()});
    EXPECT_EQ(unpacked.code, 0) << unpacked.err;
    EXPECT_EQ(Tree(Path("out")), (std::map<std::string, std::string>{
                                     {"gone", "kept until a commit"}, {"s", "saved twice"}}));
    // The pending 100,000 bytes already lie past the saved end: the editor's, not a fault.
    const Result checked = Run({"check", file});
    EXPECT_EQ(checked.code, 0) << checked.out << checked.err;
    EXPECT_NE(checked.out.find("a writer has the file open (warning)"), std::string::npos);

    // Writers still wait for the editor to let go.
    const std::string before = ReadFile(file);
    EXPECT_NE(Run({"poke", file, "s", "0", "00"}).err.find("STG_E_LOCKVIOLATION"),
              std::string::npos);
    EXPECT_NE(Run({"pack", Path("in").string(), file}).err.find("STG_E_LOCKVIOLATION"),
              std::string::npos);
    EXPECT_TRUE(ReadFile(file) == before);
}

TEST_F(CliTest, CheckReportsFaultsOfDamagedFiles) {
    PackSample(false);
    const std::string good = ReadFile(Path("packed.cfb"));

    WriteFile(Path("short.cfb"), good.substr(0, good.size() / 2));
    Result checked = Run({"check", Path("short.cfb").string()});
    EXPECT_EQ(checked.code, 1);
    ASSERT_FALSE(checked.out.empty());
    for (const auto& line : Lines(checked.out))
        EXPECT_EQ(line.find_first_not_of("abcdefghijklmnopqrstuvwxyz-"), line.find(": ")) << line;

    // Every sibling red: red entries with red children, which alone is only a warning.
    std::string allRed = good;
    for (const std::string name : {"a4095", "a4096", "a4097", "empty", "Storage 1"}) {
        std::string utf16;
        for (const char c : name)
            utf16 += std::string{c, '\0'};
        const std::size_t at = allRed.find(utf16 + std::string(2, '\0'));
        ASSERT_NE(at, std::string::npos) << name;
        allRed[at + 67] = 0;
    }
    WriteFile(Path("red.cfb"), allRed);
    checked = Run({"check", Path("red.cfb").string()});
    EXPECT_EQ(checked.code, 0) << checked.out;
    EXPECT_EQ(checked.out.rfind("red-black-violation: ", 0), 0u) << checked.out;
    EXPECT_NE(checked.out.find(" (warning)\n"), std::string::npos) << checked.out;

    // Each fault on its own line, the exit code 1.
    std::string unsigned_ = good, tail = good + std::string(256 * 512, 'x');
    unsigned_[0] = 'X';
    for (const auto& [bytes, fault] :
         {std::pair{unsigned_, "bad-signature: "}, std::pair{tail, "sectors-beyond-fat: "}}) {
        WriteFile(Path("bad.cfb"), bytes);
        checked = Run({"check", Path("bad.cfb").string()});
        EXPECT_EQ(checked.code, 1);
        EXPECT_EQ(checked.out.rfind(fault, 0), 0u) << checked.out;
    }
}

TEST_F(CliTest, ErrorsNameTheResultCode) {
    PackSample(false);
    WriteFile(Path("text.txt"), "not a compound file, just text that is long enough\n");
    const std::string missing = Path("missing.cfb").string(), file = Path("packed.cfb").string();
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"list", missing}, ": STG_E_FILENOTFOUND (0x80030002)\n"},
        {{"cat", missing, "x"}, ": STG_E_FILENOTFOUND (0x80030002)\n"},
        {{"check", missing}, ": STG_E_FILENOTFOUND (0x80030002)\n"},
        {{"list", Path("text.txt").string()}, "STG_E_FILEALREADYEXISTS (0x80030050)"},
        {{"cat", file, "Storage 1/nothing"}, "STG_E_FILENOTFOUND"},
        {{"cat", file, "bad\\escape"}, ""},
        {{"cat", file, "\xFF"}, ""},
    };
    for (const auto& [args, text] : cases) {
        const Result result = Run(args);
        EXPECT_EQ(result.code, 2) << args[0] << " " << args.back();
        EXPECT_NE(result.err.find(text), std::string::npos) << result.err;
    }
}

TEST_F(CliTest, UsageMistakes) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"list"},
                                               {"pack", "a", "b", "c"},
                                               {"poke", "f", "s", "12x", "00"},
                                               {"poke", "f", "s", "0", "ABC"},
                                               {"poke", "f", "s", "0x8000000000000000", "00"}})
        EXPECT_EQ(Run(args).code, 64) << args.size();
    const Result help = Run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("usage:"), std::string::npos);
}

} // namespace
