// The command line on inputs a user does not mean as lists: folders, devices,
// pipes, garbage; and on outputs that are links or special files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

#include "cli/CommandRun.h"
#include "cli/ListCommands.h"
#include "cli/PlanCommand.h"
#include "cli/SettingsCommands.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Runs a shell command line; the exit status and what it printed (both streams).
CommandResult Shell(const std::string& line)
{
    CommandResult r;
    FILE* pipe = popen((line + " 2>&1").c_str(), "r");
    if (!pipe) {
        r.status = -1;
        return r;
    }
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
        r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

const std::string CLI = TREVAK_CLI_PATH;

TEST(FileReadingCommands, FoldersAndReadErrorsExitWithTwoNamingThePath)
{
    TempFolder folder;
    const std::string dir = folder.File("");
    fs::create_directory(fs::u8path(folder.File("list.xlsx")));
    std::vector<std::pair<CommandResult, std::string>> runs = {
        {RunCommand(RunImportCommand, {"cut", dir}), dir},
        {RunCommand(RunImportCommand, {"stock", folder.File("list.xlsx")}), "list.xlsx"},
        {RunCommand(RunPlanCommand, {"--cut", dir, "--stock", dir}), dir},
        {RunCommand(RunShowSettingsCommand, {dir}), dir},
        {RunCommand(RunPlanCommand, {"--settings", dir}), dir},
        {RunCommand(RunSaveSettingsCommand, {"--cut", dir, "--out", folder.File("s.txt")}), dir},
    };
    if (fs::exists("/proc/self/mem"))
        runs.push_back({RunCommand(RunImportCommand, {"cut", "/proc/self/mem"}), "/proc/self/mem"});
    for (const auto& [r, path] : runs) {
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fs::exists(fs::u8path(folder.File("s.txt"))));
}

TEST(FileReadingCommands, ListsFromPipesAreRead)
{
    const CommandResult r = Shell("printf 'T 1000 5\\nU\\t2000\\t3\\r\\n' | '" + CLI + "' import cut /dev/stdin");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "T   1000   5   \nU   2000   3   \n");

    // A settings file saved from lists given through process substitution holds their rows.
    TempFolder folder;
    const std::string out = folder.File("s.txt");
    const CommandResult saved = Shell("bash -c \"'" + CLI + "' save-settings --cut <(printf 'T 1000 5\\n') --stock " +
                                      "<(printf 'T 6000 0\\n') --out '" + out + "'\"");
    EXPECT_EQ(saved.status, 0) << saved.out;
    const CommandResult shown = RunCommand(RunShowSettingsCommand, {out});
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.out.find("下料 1 行"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("  T  1000  5  \n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("  T  6000  不限\n"), std::string::npos) << shown.out;
}

TEST(FileReadingCommands, AnEndlessLineEndsTheReadWithExitOne)
{
    const CommandResult r = RunCommand(RunImportCommand, {"cut", "/dev/zero"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("第1行长于 1048576 字节"), std::string::npos) << r.err.substr(0, 200);
    // The NUL bytes are shown escaped, never sent raw.
    EXPECT_EQ(r.err.find('\0'), std::string::npos);
    EXPECT_EQ(RunCommand(RunPlanCommand, {"--cut", "/dev/zero", "--stock", "/dev/zero"}).status, 1);
}

TEST(FileReadingCommands, ShowSettingsOnWhatIsNoSettingsFileExitsWithOneAndSaysWhy)
{
    TempFolder folder;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {folder.WriteFile("garbage.txt", "这不是设置文件\n1 2 3\n"), "第1行不是版本号或下料行数"},
        {folder.WriteFile("empty.txt", ""), "文件是空的"},
        {folder.WriteFile("short.txt", "20260430\r\n3\r\n2995  15  A  M\r\n"), "文件在下料行之前结束"},
        {"/dev/zero", "第1行过长"},
    };
    for (const auto& [path, why] : cases) {
        const CommandResult shown = RunCommand(RunShowSettingsCommand, {path});
        EXPECT_EQ(shown.status, 1) << path;
        EXPECT_EQ(shown.out, "") << path;
        EXPECT_NE(shown.err.find(why), std::string::npos) << shown.err;
        const CommandResult planned = RunCommand(RunPlanCommand, {"--settings", path});
        EXPECT_EQ(planned.status, 1) << path;
        EXPECT_NE(planned.err.find(why), std::string::npos) << planned.err;
    }
    // A file that holds only the two lists is sound.
    const std::string lists = folder.WriteFile("lists.txt", "20260430\r\n0\r\n1\r\n6000  -1  A  0\r\n");
    EXPECT_EQ(RunCommand(RunShowSettingsCommand, {lists}).status, 0);
}

TEST(FileWritingCommands, ReportsAndSettingsAreWrittenThroughLinks)
{
    TempFolder folder;
    fs::create_directory(fs::u8path(folder.File("real")));
    const std::string target = folder.WriteFile("real/plan.txt", "old");
    const std::string link = folder.File("plan-link.txt");
    fs::create_symlink(fs::u8path(target), fs::u8path(link));
    const CommandResult r = RunCommand(RunPlanCommand, {"--example", "--report", "txt", "--out", link});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(fs::u8path(link)));
    // The report's title, 下料优化输出结果, in code page 936.
    EXPECT_NE(TempFolder::ReadFile(target).find(Utf16ToCp936(u"下料优化输出结果")), std::string::npos);
    EXPECT_EQ(FolderEntries(folder.File("real")), std::vector<std::string>({"plan.txt"}));

    const std::string settings = folder.WriteFile("real/QRMCfg.txt", "");
    const std::string settingsLink = folder.File("cfg-link.txt");
    fs::create_symlink(fs::u8path(settings), fs::u8path(settingsLink));
    const std::string cut = folder.WriteFile("cut.txt", "T 1000 5\n");
    ASSERT_EQ(RunCommand(RunSaveSettingsCommand, {"--cut", cut, "--out", settingsLink}).status, 0);
    EXPECT_TRUE(fs::is_symlink(fs::u8path(settingsLink)));
    EXPECT_EQ(TempFolder::ReadFile(settings).substr(0, 10), "20260430\r\n");
}

TEST(FileWritingCommands, TargetsThatAreNoRegularFilesAreRefused)
{
    TempFolder folder;
    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string cut = folder.WriteFile("cut.txt", "T 1000 5\n");
    const std::vector<CommandResult> runs = {
        RunCommand(RunPlanCommand, {"--example", "--report", "txt", "--out", fifo}),
        RunCommand(RunPlanCommand, {"--example", "--report", "xlsx", "--out", fifo}),
        RunCommand(RunSaveSettingsCommand, {"--cut", cut, "--out", fifo}),
        RunCommand(RunExportCommand, {"cut", "--from", cut, "--out", fifo}),
        RunCommand(RunExportCommand, {"cut", "--from", cut, "--out", "/dev/null"}),
        RunCommand(RunExportCommand, {"cut", "--from", cut, "--out", folder.File("")}),
    };
    for (const CommandResult& r : runs) {
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
    }
    struct stat status {};
    ASSERT_EQ(stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(FolderEntries(folder.File("")), std::vector<std::string>({"cut.txt", "fifo"}));
}

TEST(FileWritingCommands, ConcurrentSaveSettingsAllSucceedAndLeaveOneWholeFile)
{
    TempFolder folder;
    const std::string out = folder.File("QRMCfg.txt");
    std::string script;
    for (int i = 1; i <= 4; ++i) {
        const std::string cut = folder.WriteFile("cut" + std::to_string(i) + ".txt",
                                                 "W" + std::to_string(i) + " " + std::to_string(1000 * i) + " 5\n");
        script += "'" + CLI + "' save-settings --cut '" + cut + "' --kerf " + std::to_string(i) + " --out '" + out +
                  "' >/dev/null & ";
    }
    // Each writer's status, collected in turn.
    script += "s=0; for p in $(jobs -p); do wait $p || s=1; done; exit $s";
    const CommandResult r = Shell("bash -c \"" + script + "\"");
    EXPECT_EQ(r.status, 0) << r.out;
    const CommandResult shown = RunCommand(RunShowSettingsCommand, {out});
    ASSERT_EQ(shown.status, 0) << shown.err;
    // One writer's lists and kerf, whole.
    bool one = false;
    for (int i = 1; i <= 4; ++i)
        one = one || (shown.out.find("  W" + std::to_string(i) + "  " + std::to_string(1000 * i) + "  5") !=
                          std::string::npos &&
                      shown.out.find("切割缝宽 " + std::to_string(i) + "\n") != std::string::npos);
    EXPECT_TRUE(one) << shown.out;
    EXPECT_EQ(FolderEntries(folder.File("")).size(), 5u);  // four lists and the settings file, no temporary left
}

}  // namespace
