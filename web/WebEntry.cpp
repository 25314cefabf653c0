// The web page's way into the library: one call cuts and analyses a file
// held in Emscripten's in-memory file system, as d88cut and d88info would,
// and the page then takes the kept files' bytes and the printed lines from
// here.
#include <emscripten.h>

#include <string>

#include "CutImages.h"
#include "D88File.h"
#include "FileKind.h"
#include "MemorySink.h"
#include "Messages.h"
#include "Reports.h"

namespace {

MemorySink Kept;          // NOLINT(cert-err58-cpp): the files of the last run
RecordedConsole Printed;  // NOLINT(cert-err58-cpp): what the last run printed
std::string RunResult;    // NOLINT(cert-err58-cpp): the last run's JSON, read by the page

// The tool's run on a newly opened file, as its process would make it.
bool Cut(const char* path, bool& opened)
{
    Kept.Clear();
    Printed.Clear();
    D88File file;
    opened = file.Open(path);
    if (!opened) {
        Printed.Err(ConsoleLine(CannotOpenFileMessage));
        return false;
    }
    return CutImages(file, DiskChoice::BySignature, Kept, Printed);
}

nlohmann::json Report(const char* path, const char* name)
{
    std::error_code error;
    std::unique_ptr<ByteSource> source = OpenFileByteSource(path, error);
    if (source == nullptr) {
        return JsonUnopenedReport(name, error.message());
    }
    return JsonReport(name, ExamineFile(std::move(source)), ReportOptions{});
}

}  // namespace

extern "C" {

// Cuts the file at `path` (shown as `name`), then analyses it. Returns
// JSON: "report" (d88info's entry for the file), "complete" (d88cut's exit
// status would be 0), "console_size" (the bytes d88cut would print, both
// streams in the order printed) and "files" (name, size, complete, in order).
EMSCRIPTEN_KEEPALIVE const char* d88web_run(const char* path, const char* name)
{
    bool opened = false;
    const bool complete = Cut(path, opened);
    nlohmann::json files = nlohmann::json::array();
    for (const auto& [fileName, kept] : Kept.Files()) {
        files.push_back(
            {{"name", fileName}, {"size", kept.bytes.size()}, {"complete", kept.complete}});
    }
    const nlohmann::json result = {{"report", Report(path, name)},
                                   {"complete", opened && complete},
                                   {"console_size", Printed.both.size()},
                                   {"files", files}};
    RunResult = result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return RunResult.c_str();
}

// The bytes the last run printed: Shift_JIS, as d88cut prints them.
EMSCRIPTEN_KEEPALIVE const char* d88web_console_data()
{
    return Printed.both.data();
}

// The bytes of the kept file `name` of the last run; null when there is none.
EMSCRIPTEN_KEEPALIVE const unsigned char* d88web_file_data(const char* name)
{
    const auto found = Kept.Files().find(name);
    return found == Kept.Files().end() ? nullptr : found->second.bytes.data();
}

}  // extern "C"
