// What people expect of a command-line tool: help and version, an output
// folder, and messages a terminal can show. None of it changes what an
// older command line does: a file named like an option is still read, and
// pipes and files still get the Shift_JIS bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Console.h"
#include "Expectations.h"
#include "Messages.h"
#include "TitleDisks.h"
#include "ToolRun.h"

namespace {

namespace fs = std::filesystem;

TEST(Conventions, HelpAndVersionAnswerOnlyWhereNoSuchFileIs)
{
    const D88ImageBuilder diskA = MakeDiskA();
    const struct {
        const char* argument;
        bool fileOfThatName;
        std::string out;
    } cases[] = {
        {"--help", false, MessageText(HelpText)},
        {"-h", false, MessageText(HelpText)},
        {"--version", false, MessageText(VersionText)},
        {"--help", true, DiskAOutput()},
        {"--version", true, DiskAOutput()},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::string(testCase.argument) + (testCase.fileOfThatName ? " (a file)" : ""));
        ToolSandbox sandbox;
        FileSet files;
        if (testCase.fileOfThatName) {
            ASSERT_TRUE(
                WriteBytesToFile(sandbox.WorkDir() + "/" + testCase.argument, diskA.Build()));
            files = DiskAFiles(diskA);
            files[testCase.argument] = diskA.Build();
        }
        ExpectRun(sandbox.Run({testCase.argument}), testCase.out, "", 0);
        ExpectDirectoryHolds(sandbox.WorkDir(), files);
    }
    // Windows programs also answer /? (the Windows build runs through the
    // launcher).
    if (RunsThroughLauncher()) {
        ToolSandbox sandbox;
        ExpectRun(sandbox.Run({"/?"}), MessageText(HelpText), "", 0);
    }
}

TEST(Conventions, FilesGoIntoTheFolderGiven)
{
    const D88ImageBuilder diskA = MakeDiskA();
    const D88ImageBuilder diskB = MakeDiskB();
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(Concat({diskA.Build(), diskB.Build()}));
    ExpectRun(sandbox.Run({"-d", "out", image}), DiskAOutput() + DiskBOutput(), "", 0);
    ExpectDirectoryHolds(sandbox.WorkDir() + "/out", [&] {
        FileSet files = DiskAFiles(diskA);
        files.merge(DiskBFiles(diskB));
        return files;
    }());
    // A folder made on the way, and a disk number after the file.
    ExpectRun(sandbox.Run({"-d", "new/deeper", image, "2"}), DiskBOutput(), "", 0);
    ExpectDirectoryHolds(sandbox.WorkDir() + "/new/deeper", DiskBFiles(diskA));
    // A file where the folder should be: nothing is written.
    ASSERT_TRUE(WriteBytesToFile(sandbox.WorkDir() + "/taken", {}));
    ExpectRun(sandbox.Run({"-d", "taken", image}), "", MessageText(CannotMakeFolderFormat, "taken"),
              1);
    // A wrong disk number is refused before any folder is made.
    ExpectRun(sandbox.Run({"-d", "never", image, "3"}), "", UsageText(), 1);
    EXPECT_FALSE(fs::exists(sandbox.WorkDir() + "/never"));
}

// A pseudo-terminal (through script(1)) in a UTF-8 locale shows the
// messages in UTF-8; in another locale, and to a pipe in any, they stay
// Shift_JIS.
TEST(Conventions, TerminalsInAUtf8LocaleGetUtf8)
{
    if (RunsThroughLauncher()) {
        GTEST_SKIP() << "the launcher stands between the tool and the terminal";
    }
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(MakeDiskA().Build());
    const std::string recognised = "Disk A を認識しました.";
    const std::string recognisedShiftJis = MessageText(RecognisedFormat, "A");
    const struct {
        const char* what;
        const char* locale;
        bool terminal;
        std::string expected;
    } cases[] = {
        {"terminal, UTF-8 locale", "C.UTF-8", true, recognised + "\r\n"},
        {"terminal, C locale", "C", true,
         recognisedShiftJis.substr(0, recognisedShiftJis.size() - 1) + "\r\n"},
        {"pipe, UTF-8 locale", "C.UTF-8", false, recognisedShiftJis},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ProcessCommand command;
        command.directory = sandbox.WorkDir();
        command.setup = {std::string("export LC_ALL=") + testCase.locale};
        command.executable = testCase.terminal ? "script" : ToolExecutable();
        command.arguments =
            testCase.terminal
                ? std::vector<std::string>{"-qec", "'" + ToolExecutable() + "' " + image,
                                           "/dev/null"}
                : std::vector<std::string>{image};
        command.outPath = sandbox.WorkDir() + "/../typescript";
        command.errPath = sandbox.WorkDir() + "/../errors";
        const ProcessResult result = RunProcess(command);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_NE(result.out.find(testCase.expected), std::string::npos) << result.out;
    }
}

}  // namespace
