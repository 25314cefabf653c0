// d88info: shows what each image of a disk-image file holds and whether it
// is disk A or disk B of the title, and why.
//
//   d88info [--sectors] [--json] FILE...
//
// Exit status 0 when every file was read, 1 when any could not be opened (or
// the report could not be written), 2 for a usage error.
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "FileKind.h"
#include "ProgramMain.h"
#include "Reports.h"

namespace {

constexpr int AllRead = 0;
constexpr int SomeNotRead = 1;
constexpr int UsageError = 2;

constexpr char UsageLine[] = "Usage: d88info [--sectors] [--json] FILE...\n";

constexpr char HelpText[] =
    "Shows what each image of a disk-image file (D88, HDM, FDI, NFD r0/r1, DCP/DCU,\n"
    "DIM, FDD, IMD, TD0, or a flux dump: SCP, HFE, KryoFlux streams) holds, whether\n"
    "it is disk A or disk B of the title d88cut cuts, and why; for a flux dump, how\n"
    "well each track and sector read.\n"
    "\n"
    "  --sectors  one line per sector instead of one per run of alike tracks\n"
    "  --json     one JSON document for all files\n"
    "  --help     this text (also /? on Windows)\n"
    "  --version  the version\n"
    "\n"
    "Exit status: 0 every file was read, 1 a file could not be opened, 2 usage error.\n";

struct Request {
    ReportOptions options;
    bool json = false;
    std::vector<Argument> files;
};

// "/?" asks for help on Windows, as its own commands take it; elsewhere it
// is a file's name.
bool AsksForHelp(const std::string& argument)
{
#ifdef _WIN32
    if (argument == "/?") {
        return true;
    }
#endif
    return argument == "--help" || argument == "-h";
}

// Options may stand anywhere; "--" makes every later argument a file.
// Returns -1 to go on, or the exit status to stop with.
int ParseArguments(const std::vector<Argument>& arguments, Request& request)
{
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i].text;
        if (!optionsEnded && AsksForHelp(argument)) {
            std::cout << UsageLine << '\n' << HelpText;
            return AllRead;
        }
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            request.files.push_back(arguments[i]);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--version") {
            std::cout << "d88info " << D88INFO_VERSION << '\n';
            return AllRead;
        } else if (argument == "--json") {
            request.json = true;
        } else if (argument == "--sectors") {
            request.options.listSectors = true;
        } else {
            std::cerr << "d88info: unknown option " << arguments[i].shown << '\n' << UsageLine;
            return UsageError;
        }
    }
    if (request.files.empty()) {
        std::cerr << "d88info: no file given\n" << UsageLine;
        return UsageError;
    }
    return -1;
}

int Run(const std::vector<Argument>& arguments)
{
    Request request;
    request.options.textForm = ConsoleTextForm();
    const int stop = ParseArguments(arguments, request);
    if (stop >= 0) {
        return std::cout.flush() ? stop : SomeNotRead;
    }
    int status = AllRead;
    nlohmann::json document = nlohmann::json::array();
    bool first = true;
    for (const Argument& name : request.files) {
        std::error_code error;
        std::unique_ptr<ByteSource> source = OpenFileByteSource(name.path, error);
        if (source == nullptr) {
            const ErrorText reason = DescribeError(error);
            std::cerr << "d88info: cannot open " << name.shown << ": " << reason.shown << '\n';
            document.push_back(JsonUnopenedReport(name.text, reason.text));
            status = SomeNotRead;
            continue;
        }
        const FileFacts facts = ExamineFile(std::move(source), &name.path);
        if (request.json) {
            document.push_back(JsonReport(name.text, facts, request.options));
            continue;
        }
        std::cout << (first ? "" : "\n");
        first = false;
        WriteTextReport(std::cout, name.shown, facts, request.options);
    }
    if (request.json) {
        // A file name need not be UTF-8: such bytes become U+FFFD.
        std::cout << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    }
    return std::cout.flush() ? status : SomeNotRead;
}

}  // namespace

int RunProgram(const std::vector<Argument>& arguments)
{
    std::ios::sync_with_stdio(false);
    try {
        return Run(arguments);
    } catch (const std::exception& error) {
        // Only running out of memory is expected here.
        std::cerr << "d88info: " << error.what() << '\n';
        return SomeNotRead;
    }
}
