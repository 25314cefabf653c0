#include "ProcessRun.h"

#include <sys/wait.h>

#include <cstdlib>

#include "D88ImageBuilder.h"

namespace {

// One word for /bin/sh, whatever bytes it holds.
std::string ShellQuoted(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string ReadText(const std::string& path)
{
    const Bytes bytes = ReadBytesFromFile(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

std::string EnvironmentOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : fallback;
}

bool RunsThroughLauncher()
{
    return !EnvironmentOr("D88CUT_LAUNCHER", "").empty();
}

ProcessResult RunProcess(const ProcessCommand& command)
{
    std::string line = "cd " + ShellQuoted(command.directory) + " && ";
    for (const std::string& step : command.setup) {
        line += step + " && ";
    }
    line += "exec " + command.prefix;
    const std::string launcher = EnvironmentOr("D88CUT_LAUNCHER", "");
    if (!launcher.empty()) {
        line += launcher + " ";
    }
    line += ShellQuoted(command.executable);
    for (const std::string& argument : command.arguments) {
        line += " " + ShellQuoted(argument);
    }
    line += " >" + ShellQuoted(command.outPath);
    line += command.errPath.empty() ? " 2>&1" : " 2>" + ShellQuoted(command.errPath);
    const int status = std::system(line.c_str());  // NOLINT(cert-env33-c): the shell is the point
    return {command.readOut ? ReadText(command.outPath) : "",
            command.errPath.empty() ? "" : ReadText(command.errPath),
            status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}
