// kestrin-cfb as a user runs it: a separate process, its exit code, stdout and stderr. Packing,
// listing, reading and editing whole trees are the interop tests' to check against the peers.
#include <gtest/gtest.h>

#include <sys/wait.h>

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
    int code;
    std::string out, err;
};

std::string ReadFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (const char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(mkdtemp(m_pattern), nullptr); }
    void TearDown() override { fs::remove_all(m_pattern); }

    std::string Path(const std::string& name) const { return m_pattern + ("/" + name); }

    Result Run(const std::vector<std::string>& args) const {
        std::string command = Quote(KESTRIN_CFB_PATH);
        for (const auto& arg : args)
            command += ' ' + Quote(arg);
        const int status = std::system(
            (command + " >" + Quote(Path(".out")) + " 2>" + Quote(Path(".err"))).c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(Path(".out")),
                ReadFile(Path(".err"))};
    }
    // Packs the files (relative path, bytes) into `file`.
    void Pack(const std::map<std::string, std::string>& files, const std::string& file) {
        for (const auto& [name, bytes] : files)
            WriteFile(Path("in/" + name), bytes);
        const Result packed = Run({"pack", Path("in"), file});
        ASSERT_EQ(packed.code, 0) << packed.err;
    }

    char m_pattern[24] = "/tmp/kestrin-cli-XXXXXX"; // the folder, once SetUp made it
};

// This process holds the file as the editor does (transacted, deny-write) with one change
// committed and more pending; the tool runs as another process beside it.
TEST_F(CliTest, ReadingCommandsShowTheLastCommitBesideAnEditor) {
    const std::string file = Path("held.cfb");
    ASSERT_NO_FATAL_FAILURE(Pack({{"s", "saved once"}, {"gone", "kept until a commit"}}, file));
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
    writeStream(u"s", std::string(100000, 'p'));
    writeStream(u"pending", "not saved");
    ASSERT_EQ(root->DestroyElement(u"gone"), S_OK);

    const Result listed = Run({"list", file});
    ASSERT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(listed.out, "stream\t11\ts\nstream\t19\tgone\n");
    const Result cat = Run({"cat", file, "s"});
    EXPECT_EQ(cat.code, 0) << cat.err;
    EXPECT_EQ(cat.out, "saved twice");
    const Result unpacked = Run({"unpack", file, Path("out")});
    EXPECT_EQ(unpacked.code, 0) << unpacked.err;
    EXPECT_EQ(ReadFile(Path("out/gone")) + "|" + ReadFile(Path("out/s")),
              "kept until a commit|saved twice");
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("out")), {}), 2);
    // The pending 100,000 bytes already lie past the saved end: the editor's, not a fault.
    const Result checked = Run({"check", file});
    EXPECT_EQ(checked.code, 0) << checked.out << checked.err;
    EXPECT_NE(checked.out.find("a writer has the file open (warning)"), std::string::npos);

    // Writers still wait for the editor to let go.
    const std::string before = ReadFile(file);
    EXPECT_NE(Run({"poke", file, "s", "0", "00"}).err.find("STG_E_LOCKVIOLATION"),
              std::string::npos);
    EXPECT_NE(Run({"pack", Path("in"), file}).err.find("STG_E_LOCKVIOLATION"), std::string::npos);
    EXPECT_TRUE(ReadFile(file) == before);
}

// Each fault on its own line as "name: detail", the exit code 1. (Warnings alone exit 0, as
// beside an editor; which faults, the structure check's tests.)
TEST_F(CliTest, CheckReportsFaultsOfDamagedFiles) {
    ASSERT_NO_FATAL_FAILURE(Pack({{"a", std::string(5000, 'z')}}, Path("packed.cfb")));
    WriteFile(Path("bad.cfb"), ReadFile(Path("packed.cfb")) + std::string(256 * 512, 'x'));
    const Result checked = Run({"check", Path("bad.cfb")});
    EXPECT_EQ(checked.code, 1) << checked.out;
    EXPECT_EQ(checked.out.rfind("sectors-beyond-fat: ", 0), 0u) << checked.out;
    EXPECT_EQ(checked.out.find('\n'), checked.out.size() - 1) << checked.out;
}

// Failures exit 2 and name the result code; usage mistakes exit 64.
TEST_F(CliTest, ErrorsNameTheResultCodeAndUsageMistakesExit64) {
    ASSERT_NO_FATAL_FAILURE(Pack({{"Storage 1/x", "y"}}, Path("packed.cfb")));
    WriteFile(Path("text.txt"), "not a compound file, just text that is long enough\n");
    const std::string missing = Path("missing.cfb"), file = Path("packed.cfb");
    const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
        {{"list", missing}, 2, ": STG_E_FILENOTFOUND (0x80030002)\n"},
        {{"list", Path("text.txt")}, 2, "STG_E_FILEALREADYEXISTS (0x80030050)"},
        {{"cat", file, "Storage 1/nothing"}, 2, "STG_E_FILENOTFOUND"},
        {{"cat", file, "bad\\escape"}, 2, ""},
        {{"cat", file, "\xFF"}, 2, ""},
        {{}, 64, ""},
        {{"frobnicate"}, 64, ""},
        {{"list"}, 64, ""},
        {{"pack", "a", "b", "c"}, 64, ""},
        {{"poke", "f", "s", "12x", "00"}, 64, ""},
        {{"poke", "f", "s", "0", "ABC"}, 64, ""},
        {{"poke", "f", "s", "0x8000000000000000", "00"}, 64, ""},
    };
    for (const auto& [args, code, text] : cases) {
        const Result result = Run(args);
        EXPECT_EQ(result.code, code) << args.size() << " " << (args.empty() ? "" : args.back());
        EXPECT_NE(result.err.find(text), std::string::npos) << result.err;
    }
    const Result help = Run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("usage:"), std::string::npos);
}

} // namespace
