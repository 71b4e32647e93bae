#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "base/FileAccess.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------- reading

TEST(ReadFileContentTest, ReadsAFileWholeAndTellsFoldersAndMissingFilesApart)
{
    TempFolder folder;
    const std::string bytes("a\0b\r\nc", 6);
    const FileContent read = ReadFileContent(folder.WriteFile("f.bin", bytes));
    EXPECT_EQ(read.m_status, FileReadStatus::Complete);
    EXPECT_EQ(read.m_bytes, bytes);

    const FileContent dir = ReadFileContent(folder.File(""));
    EXPECT_EQ(dir.m_status, FileReadStatus::CannotRead);
    EXPECT_FALSE(dir.m_missing);
    EXPECT_FALSE(dir.m_reason.empty());

    const FileContent missing = ReadFileContent(folder.File("none"));
    EXPECT_EQ(missing.m_status, FileReadStatus::CannotRead);
    EXPECT_TRUE(missing.m_missing);
}

#ifndef _WIN32
TEST(ReadFileContentTest, AReadErrorIsReportedNotThrown)
{
    // Reading this process's memory from offset 0 fails with an I/O error.
    if (!fs::exists("/proc/self/mem"))
        GTEST_SKIP() << "no /proc";
    const FileContent read = ReadFileContent("/proc/self/mem");
    EXPECT_EQ(read.m_status, FileReadStatus::CannotRead);
    EXPECT_FALSE(read.m_reason.empty());
    EXPECT_TRUE(read.m_bytes.empty());
}

TEST(ReadFileContentTest, APipeIsReadToItsEnd)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    // More than a pipe holds at once, so that the reader must wait for the writer.
    std::string sent;
    for (int i = 0; i < 20000; ++i)
        sent += "T " + std::to_string(i) + " 5\n";
    std::thread writer([&] {
        std::size_t at = 0;
        while (at < sent.size()) {
            const ssize_t n = write(fds[1], sent.data() + at, sent.size() - at);
            if (n <= 0)
                break;
            at += std::size_t(n);
        }
        close(fds[1]);
    });
    const FileContent read = ReadFileContent("/dev/fd/" + std::to_string(fds[0]));
    writer.join();
    close(fds[0]);
    EXPECT_EQ(read.m_status, FileReadStatus::Complete);
    EXPECT_EQ(read.m_bytes, sent);
}

TEST(ReadFileContentTest, AnEndlessLineEndsTheReadAtTheLineLimit)
{
    FileReadLimits limits;
    limits.m_maxLineBytes = 1000;
    const FileContent read = ReadFileContent("/dev/zero", limits);
    EXPECT_EQ(read.m_status, FileReadStatus::LineTooLong);
    EXPECT_EQ(read.m_bytes.size(), 1001u);  // the limit and the byte that passed it
}
#endif

TEST(ReadFileContentTest, LineLimitCountsFromEachLineFeedOrCarriageReturn)
{
    TempFolder folder;
    FileReadLimits limits;
    limits.m_maxLineBytes = 4;
    // Lines of four bytes ended by LF, CR LF and a lone CR are within the limit.
    const std::string fine = "abcd\nabcd\r\nabcd\rabcd";
    EXPECT_EQ(ReadFileContent(folder.WriteFile("fine", fine), limits).m_status, FileReadStatus::Complete);
    const FileContent read = ReadFileContent(folder.WriteFile("long", "abcd\rabcde\nx"), limits);
    EXPECT_EQ(read.m_status, FileReadStatus::LineTooLong);
    EXPECT_EQ(read.m_bytes, "abcd\rabcde");
}

TEST(ReadFileContentTest, SizeLimitKeepsTheFirstBytesAndTellsAnExactFitFromMore)
{
    TempFolder folder;
    FileReadLimits limits;
    limits.m_maxBytes = 5;
    EXPECT_EQ(ReadFileContent(folder.WriteFile("five", "12345"), limits).m_status, FileReadStatus::Complete);
    const FileContent read = ReadFileContent(folder.WriteFile("six", "123456"), limits);
    EXPECT_EQ(read.m_status, FileReadStatus::TooLarge);
    EXPECT_EQ(read.m_bytes, "12345");
}

// ---------------------------------------------------------------- writing

TEST(AtomicFileTest, ReplacesTheTargetOnlyOnCommitAndLeavesNoTemporaryFile)
{
    TempFolder folder;
    const std::string path = folder.WriteFile("t.txt", "old");
    AtomicFile file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_TRUE(file.Write("new content", 11));
    // Before the commit a reader still sees the old file whole.
    EXPECT_EQ(TempFolder::ReadFile(path), "old");
    EXPECT_EQ(FolderEntries(folder.File("")).size(), 2u);
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(TempFolder::ReadFile(path), "new content");
    EXPECT_EQ(FolderEntries(folder.File("")), std::vector<std::string>({"t.txt"}));
}

TEST(AtomicFileTest, AnAbandonedWriteKeepsTheOldFile)
{
    TempFolder folder;
    const std::string path = folder.WriteFile("t.txt", "old");
    {
        AtomicFile file;
        ASSERT_TRUE(file.Create(path));
        ASSERT_TRUE(file.Write("half", 4));
    }  // destroyed without Commit
    EXPECT_EQ(TempFolder::ReadFile(path), "old");
    EXPECT_EQ(FolderEntries(folder.File("")), std::vector<std::string>({"t.txt"}));
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(folder.File("missing/t.txt"), "x", error));
    EXPECT_FALSE(error.empty());
}

#ifndef _WIN32
TEST(AtomicFileTest, ALinkIsWrittenThroughToItsTargetInTheTargetsFolder)
{
    TempFolder folder;
    fs::create_directory(fs::u8path(folder.File("real")));
    fs::create_directory(fs::u8path(folder.File("links")));
    const std::string target = folder.WriteFile("real/settings.txt", "old");
    // A relative link, and a link to that link.
    fs::create_symlink("../real/settings.txt", fs::u8path(folder.File("links/direct")));
    fs::create_symlink("direct", fs::u8path(folder.File("links/chained")));
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(folder.File("links/chained"), "through", error)) << error;
    EXPECT_EQ(TempFolder::ReadFile(target), "through");
    EXPECT_TRUE(fs::is_symlink(fs::u8path(folder.File("links/direct"))));
    EXPECT_TRUE(fs::is_symlink(fs::u8path(folder.File("links/chained"))));
    EXPECT_EQ(FolderEntries(folder.File("real")), std::vector<std::string>({"settings.txt"}));
    EXPECT_EQ(FolderEntries(folder.File("links")), std::vector<std::string>({"chained", "direct"}));

    // A link to a file that does not exist yet creates that file.
    fs::create_symlink("../real/new.txt", fs::u8path(folder.File("links/dangling")));
    ASSERT_TRUE(WriteFileAtomically(folder.File("links/dangling"), "made", error)) << error;
    EXPECT_EQ(TempFolder::ReadFile(folder.File("real/new.txt")), "made");
    EXPECT_TRUE(fs::is_symlink(fs::u8path(folder.File("links/dangling"))));
}

TEST(AtomicFileTest, TargetsThatAreNotRegularFilesAreRefusedAndLeftAlone)
{
    TempFolder folder;
    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string dir = folder.File("dir");
    fs::create_directory(fs::u8path(dir));
    fs::create_symlink("fifo", fs::u8path(folder.File("to-fifo")));
    for (const std::string& path : {fifo, dir, folder.File("to-fifo"), std::string("/dev/null")}) {
        AtomicFile file;
        EXPECT_FALSE(file.Create(path)) << path;
        EXPECT_FALSE(file.Error().empty()) << path;
    }
    struct stat status {};
    ASSERT_EQ(stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_TRUE(fs::is_directory(fs::u8path(dir)));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(FolderEntries(folder.File("")), std::vector<std::string>({"dir", "fifo", "to-fifo"}));
}

TEST(AtomicFileTest, TheNewFileKeepsThePermissionsOfTheOldOne)
{
    TempFolder folder;
    const std::string path = folder.WriteFile("p.txt", "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "new", error));
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(AtomicFileTest, ConcurrentProcessesEachLeaveOneWholeFileAndAllSucceed)
{
    // Four processes write 40 versions each to one path. Every write must
    // succeed, and the file at the end is the last version of one of them:
    // each process's renames come in its own order, so the last rename of
    // all is some process's last one.
    TempFolder folder;
    const std::string path = folder.File("shared.txt");
    constexpr int WRITERS = 4;
    constexpr int VERSIONS = 40;
    auto content = [](int writer, int version) {
        return "writer " + std::to_string(writer) + " version " + std::to_string(version) + "\n" +
               std::string(5000 + writer * 100 + version, char('a' + writer));
    };
    std::vector<pid_t> children;
    for (int w = 0; w < WRITERS; ++w) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            for (int v = 0; v < VERSIONS; ++v) {
                std::string error;
                if (!WriteFileAtomically(path, content(w, v), error))
                    ++failures;
            }
            _exit(failures == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
    }
    const std::string final = TempFolder::ReadFile(path);
    bool oneLastVersion = false;
    for (int w = 0; w < WRITERS; ++w)
        oneLastVersion = oneLastVersion || final == content(w, VERSIONS - 1);
    EXPECT_TRUE(oneLastVersion) << final.substr(0, 30);
    EXPECT_EQ(FolderEntries(folder.File("")), std::vector<std::string>({"shared.txt"}));
}
#endif

}  // namespace
