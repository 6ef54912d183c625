// Opening files that are read-only, or that others hold: each gives its documented code.
// Damaged files are the structure check's table.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.h"

namespace {

constexpr DWORD kEditor = STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READWRITE;
constexpr DWORD kReader = STGM_TRANSACTED | STGM_SHARE_DENY_NONE | STGM_READ;

class FileOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ptr<IStorage> root;
        ASSERT_EQ(StgCreateDocfile(m_dir.Name("file.cfb").c_str(), kCreate, 0, &root), S_OK);
        ASSERT_EQ(WriteStream(root.get(), u"S", Pattern(10)), S_OK);
    }
    // Opens the file, or another in the folder, keeping what opened until the test ends.
    HRESULT Open(DWORD mode, const std::string& name = "file.cfb") {
        m_held.emplace_back();
        return StgOpenStorage(m_dir.Name(name).c_str(), nullptr, mode, nullptr, 0, &m_held.back());
    }
    ScratchDir m_dir;
    std::vector<Ptr<IStorage>> m_held;
};

// (Missing files and files that are not compound files: the command-line tool's error table.)
TEST_F(FileOpenTest, ReadOnlyAndExistingFiles) {
    chmod(m_dir.Path("file.cfb").c_str(), 0444); // read-only even to the superuser
    EXPECT_EQ(Open(kEditor), STG_E_ACCESSDENIED);
    EXPECT_EQ(Open(kReader), S_OK);
    m_held.clear();
    chmod(m_dir.Path("file.cfb").c_str(), 0644);
    Ptr<IStorage> created;
    EXPECT_EQ(StgCreateDocfile(m_dir.Name("file.cfb").c_str(), kRW, 0, &created),
              STG_E_FILEALREADYEXISTS);
}

// An editor locks out other writers, in this process and in another, but not readers; a
// reader denying writes keeps editors out, but not other such readers.
TEST_F(FileOpenTest, SharingBetweenEditorsAndReaders) {
    ASSERT_EQ(Open(kEditor), S_OK);
    ASSERT_EQ(WriteStream(m_held.back().get(), u"Pending", Pattern(5)), S_OK);
    EXPECT_EQ(Open(kEditor), STG_E_LOCKVIOLATION);
    ASSERT_EQ(Open(kReader), S_OK);
    EXPECT_EQ(ListElements(m_held.back().get()), std::vector<std::string>{"S"});
    const pid_t child = fork();
    if (child == 0)
        _exit(Open(kEditor) == STG_E_LOCKVIOLATION && Open(kReader) == S_OK ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    m_held.clear();
    ASSERT_EQ(Open(STGM_READ | STGM_SHARE_DENY_WRITE), S_OK);
    EXPECT_EQ(Open(kEditor), STG_E_LOCKVIOLATION);
    EXPECT_EQ(Open(STGM_READ | STGM_SHARE_DENY_WRITE), S_OK);
    m_held.clear();
    EXPECT_EQ(Open(kEditor), S_OK);
}

} // namespace
