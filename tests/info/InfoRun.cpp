#include "InfoRun.h"

#include "ProcessRun.h"

namespace {

std::string TextOf(const std::string& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') {
            text += bytes[i];
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

ProgramRun InfoSandbox::RunInfo(const std::vector<std::string>& arguments,
                                const std::string& prefix)
{
    return Run(EnvironmentOr("D88INFO_EXE", D88INFO_DEFAULT_EXE), arguments, prefix);
}

ProgramRun InfoSandbox::RunCut(const std::vector<std::string>& arguments)
{
    return Run(EnvironmentOr("D88CUT_EXE", D88CUT_DEFAULT_EXE), arguments);
}

ProgramRun InfoSandbox::Run(const std::string& executable,
                            const std::vector<std::string>& arguments, const std::string& prefix)
{
    ProcessCommand command;
    command.prefix = prefix;
    command.directory = folder_.Path().string();
    command.executable = executable;
    command.arguments = arguments;
    command.outPath = folder_.FilePath("stdout.txt");
    command.errPath = folder_.FilePath("stderr.txt");
    const ProcessResult result = RunProcess(command);
    return {TextOf(result.out), TextOf(result.err), result.exitStatus};
}

bool ConsoleShowsShiftJis()
{
    return EnvironmentOr("D88CUT_NEWLINE", "lf") == "crlf";
}
