#include "ToolRun.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "ProcessRun.h"

namespace {

namespace fs = std::filesystem;

constexpr auto OpenToAll = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec;

std::string ToolPath()
{
    return EnvironmentOr("D88CUT_EXE", D88CUT_DEFAULT_EXE);
}

}  // namespace

ToolSandbox::ToolSandbox() : baseDir_(base_.Path().string()), workDir_(baseDir_ + "/work")
{
    fs::create_directory(workDir_);
    // Another user must reach the image and the tool from here.
    fs::permissions(baseDir_, OpenToAll);
    fs::permissions(workDir_, OpenToAll);
}

ToolSandbox::~ToolSandbox()
{
    // A test may have made the work directory read-only.
    std::error_code error;
    fs::permissions(workDir_, fs::perms::owner_all, fs::perm_options::add, error);
}

std::string ToolSandbox::AddImage(const Bytes& bytes, const std::string& name)
{
    const std::string path = baseDir_ + "/" + name;
    EXPECT_TRUE(WriteBytesToFile(path, bytes)) << path;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    return "../" + name;
}

ToolResult ToolSandbox::Run(const std::vector<std::string>& arguments, const RunOptions& options)
{
    ProcessCommand command;
    command.directory = workDir_;
    command.executable = ToolPath();
    command.arguments = arguments;
    if (options.fileSizeLimitBlocks > 0) {
        // The tool ignores SIGXFSZ itself; a launcher such as Wine, which
        // Windows programs know nothing of, must be told to by the shell.
        if (RunsThroughLauncher()) {
            command.setup.emplace_back("trap '' XFSZ");
        }
        // The limit also bounds the captured streams.
        command.setup.push_back("ulimit -f " + std::to_string(options.fileSizeLimitBlocks));
    }
    if (options.unprivileged) {
        // The build tree may lie where that user cannot reach it.
        const std::string copy = baseDir_ + "/" + fs::path(command.executable).filename().string();
        fs::copy_file(command.executable, copy, fs::copy_options::overwrite_existing);
        fs::permissions(copy, OpenToAll);
        command.executable = copy;
        command.prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
    const std::string outPath = baseDir_ + "/stdout" + options.tag;
    const std::string errPath = baseDir_ + "/stderr" + options.tag;
    // A run that cannot start leaves no stream of an earlier run to read.
    fs::remove(outPath);
    fs::remove(errPath);
    command.outPath = options.stdoutPath.empty() ? outPath : options.stdoutPath;
    command.readOut = options.stdoutPath.empty();
    command.errPath = options.mergeStreams ? "" : errPath;
    const ProcessResult result = RunProcess(command);
    return {result.out, result.err, result.exitStatus};
}

std::string ToolExecutable()
{
    return ToolPath();
}

std::string ConsoleBytes(const std::string& text)
{
    const std::string newline = EnvironmentOr("D88CUT_NEWLINE", "lf");
    if (newline == "lf") {
        return text;
    }
    EXPECT_EQ(newline, "crlf") << "D88CUT_NEWLINE must be lf or crlf";
    std::string converted;
    for (const char c : text) {
        converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return converted;
}

std::string ProgramNameSeenByTool()
{
    return EnvironmentOr("D88CUT_PROGRAM_NAME", ToolPath());
}

bool CanRunUnprivileged(std::string& why)
{
    if (geteuid() != 0) {
        why = "not running as root, so setpriv cannot switch to another user";
        return false;
    }
    if (std::system("command -v setpriv >/dev/null 2>&1") != 0) {  // NOLINT(cert-env33-c)
        why = "setpriv is not installed";
        return false;
    }
    // Wine, for one, refuses to run in a prefix that belongs to another user.
    if (RunsThroughLauncher()) {
        why = "the tool is started through D88CUT_LAUNCHER, which may not run as another user";
        return false;
    }
    return true;
}
