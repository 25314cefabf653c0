#include "InfoRun.h"

#include <sys/wait.h>

#include <cstdlib>

namespace {

std::string Environment(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : fallback;
}

std::string Quoted(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string TextOf(const Bytes& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') {
            text += static_cast<char>(bytes[i]);
        }
    }
    return text;
}

}  // namespace

std::string InfoSandbox::Add(const Bytes& bytes, const std::string& name)
{
    WriteBytesToFile(folder_.FilePath(name), bytes);
    return name;
}

Bytes InfoSandbox::Read(const std::string& name) const
{
    return ReadBytesFromFile(folder_.FilePath(name));
}

ProgramRun InfoSandbox::RunInfo(const std::vector<std::string>& arguments)
{
    return Run(Environment("D88INFO_EXE", D88INFO_DEFAULT_EXE), arguments);
}

ProgramRun InfoSandbox::RunCut(const std::vector<std::string>& arguments)
{
    return Run(Environment("D88CUT_EXE", D88CUT_DEFAULT_EXE), arguments);
}

ProgramRun InfoSandbox::Run(const std::string& executable,
                            const std::vector<std::string>& arguments)
{
    std::string command = "cd " + Quoted(folder_.Path().string()) + " && ";
    const std::string launcher = Environment("D88CUT_LAUNCHER", "");
    command += launcher.empty() ? "" : launcher + " ";
    command += Quoted(executable);
    for (const std::string& argument : arguments) {
        command += " " + Quoted(argument);
    }
    command += " >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());  // NOLINT(cert-env33-c)
    return {TextOf(Read("stdout.txt")), TextOf(Read("stderr.txt")),
            status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

bool ConsoleShowsShiftJis()
{
    return Environment("D88CUT_NEWLINE", "lf") == "crlf";
}
