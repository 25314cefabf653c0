// d88info: shows what each image of a disk-image file holds and whether it
// is disk A or disk B of the title, and why.
//
//   d88info [--sectors] [--json] FILE...
//
// Exit status 0 when every file was read, 1 when any could not be opened (or
// the report could not be written), 2 for a usage error.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "D88File.h"
#include "Reports.h"

namespace {

constexpr int AllRead = 0;
constexpr int SomeNotRead = 1;
constexpr int UsageError = 2;

constexpr char UsageLine[] = "Usage: d88info [--sectors] [--json] FILE...\n";

constexpr char HelpText[] =
    "Shows what each image of a disk-image file (D88, HDM, FDI, NFD r0/r1, DCP/DCU)\n"
    "holds, whether it is disk A or disk B of the title d88cut cuts, and why.\n"
    "\n"
    "  --sectors  one line per sector instead of one per run of alike tracks\n"
    "  --json     one JSON document for all files\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "\n"
    "Exit status: 0 every file was read, 1 a file could not be opened, 2 usage error.\n";

struct Arguments {
    ReportOptions options;
    bool json = false;
    std::vector<std::string> files;
};

// Options may stand anywhere; "--" makes every later argument a file.
// Returns -1 to go on, or the exit status to stop with.
int ParseArguments(int argc, const char* const argv[], Arguments& arguments)
{
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            arguments.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            std::cout << UsageLine << '\n' << HelpText;
            return AllRead;
        } else if (argument == "--version") {
            std::cout << "d88info " << D88INFO_VERSION << '\n';
            return AllRead;
        } else if (argument == "--json") {
            arguments.json = true;
        } else if (argument == "--sectors") {
            arguments.options.listSectors = true;
        } else {
            std::cerr << "d88info: unknown option " << argument << '\n' << UsageLine;
            return UsageError;
        }
    }
    if (arguments.files.empty()) {
        std::cerr << "d88info: no file given\n" << UsageLine;
        return UsageError;
    }
    return -1;
}

int Run(int argc, const char* const argv[])
{
    Arguments arguments;
    arguments.options.textForm = ConsoleTextForm();
    const int stop = ParseArguments(argc, argv, arguments);
    if (stop >= 0) {
        return std::cout.flush() ? stop : SomeNotRead;
    }
    int status = AllRead;
    nlohmann::json document = nlohmann::json::array();
    bool first = true;
    for (const std::string& name : arguments.files) {
        D88File file;
        if (!file.Open(name.c_str())) {
            std::cerr << "d88info: cannot open " << name << '\n';
            document.push_back(JsonUnopenedReport(name));
            status = SomeNotRead;
            continue;
        }
        const FileFacts facts = CollectFileFacts(file);
        if (arguments.json) {
            document.push_back(JsonReport(name, facts, arguments.options));
            continue;
        }
        std::cout << (first ? "" : "\n");
        first = false;
        WriteTextReport(std::cout, name, facts, arguments.options);
    }
    if (arguments.json) {
        // A file name need not be UTF-8: such bytes become U+FFFD.
        std::cout << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    }
    return std::cout.flush() ? status : SomeNotRead;
}

}  // namespace

int main(int argc, char* argv[])
{
    std::ios::sync_with_stdio(false);
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        // Only running out of memory is expected here.
        std::cerr << "d88info: " << error.what() << '\n';
        return SomeNotRead;
    }
}
