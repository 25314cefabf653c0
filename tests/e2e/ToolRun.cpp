#include "ToolRun.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

constexpr auto OpenToAll = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec;

std::string Environment(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : fallback;
}

std::string ToolPath()
{
    return Environment("D88CUT_EXE", D88CUT_DEFAULT_EXE);
}

// One word for /bin/sh, whatever bytes it holds.
std::string ShellQuoted(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Every command goes through /bin/sh: that is how the tool is run here.
int RunShellCommand(const std::string& command)
{
    return std::system(command.c_str());  // NOLINT(cert-env33-c)
}

std::string ReadText(const std::string& path)
{
    const Bytes bytes = ReadBytesFromFile(path);
    return std::string(bytes.begin(), bytes.end());
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
    std::string tool = ToolPath();
    std::string command = "cd " + ShellQuoted(workDir_) + " && ";
    if (options.fileSizeLimitBlocks > 0) {
        // The tool ignores SIGXFSZ itself; a launcher such as Wine, which
        // Windows programs know nothing of, must be told to by the shell.
        if (RunsThroughLauncher()) {
            command += "trap '' XFSZ && ";
        }
        // The limit also bounds the captured streams.
        command += "ulimit -f " + std::to_string(options.fileSizeLimitBlocks) + " && ";
    }
    command += "exec ";
    if (options.unprivileged) {
        // The build tree may lie where that user cannot reach it.
        const std::string copy = baseDir_ + "/" + fs::path(tool).filename().string();
        fs::copy_file(tool, copy, fs::copy_options::overwrite_existing);
        fs::permissions(copy, OpenToAll);
        tool = copy;
        command += "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
    const std::string launcher = Environment("D88CUT_LAUNCHER", "");
    if (!launcher.empty()) {
        command += launcher + " ";
    }
    command += ShellQuoted(tool);
    for (const std::string& argument : arguments) {
        command += " " + ShellQuoted(argument);
    }
    const std::string outPath = baseDir_ + "/stdout" + options.tag;
    const std::string errPath = baseDir_ + "/stderr" + options.tag;
    fs::remove(outPath);
    fs::remove(errPath);
    command += " >" + ShellQuoted(options.stdoutPath.empty() ? outPath : options.stdoutPath);
    command += options.mergeStreams ? " 2>&1" : " 2>" + ShellQuoted(errPath);

    const int status = RunShellCommand(command);
    ToolResult result;
    result.out = ReadText(outPath);
    result.err = ReadText(errPath);
    result.exitStatus = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string ToolExecutable()
{
    return ToolPath();
}

bool RunsThroughLauncher()
{
    return !Environment("D88CUT_LAUNCHER", "").empty();
}

std::string ConsoleBytes(const std::string& text)
{
    const std::string newline = Environment("D88CUT_NEWLINE", "lf");
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
    return Environment("D88CUT_PROGRAM_NAME", ToolPath());
}

bool CanRunUnprivileged(std::string& why)
{
    if (geteuid() != 0) {
        why = "not running as root, so setpriv cannot switch to another user";
        return false;
    }
    if (RunShellCommand("command -v setpriv >/dev/null 2>&1") != 0) {
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
