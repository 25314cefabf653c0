// The web page's way into the library: one call cuts and analyses a file
// held in Emscripten's in-memory file system, as d88cut and d88info would,
// and the page then takes the kept files' bytes from here.
#include <emscripten.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "CutImages.h"
#include "D88File.h"
#include "DiskBuffer.h"
#include "ImageFacts.h"
#include "MemorySink.h"
#include "Messages.h"
#include "Reports.h"

namespace {

MemorySink Kept;        // NOLINT(cert-err58-cpp): the files of the last run
std::string RunResult;  // NOLINT(cert-err58-cpp): the last run's JSON, read by the page

// d88cut's standard output and standard error both go, unbuffered, into one
// file, so the page shows the bytes the tool prints in the order it prints
// them.
bool CaptureConsole(const char* path)
{
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg): open is the C interface
    const int descriptor = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
    if (descriptor < 0) {
        return false;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c): buffered is no worse
    std::setvbuf(stderr, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c)
    const bool redirected =
        dup2(descriptor, STDOUT_FILENO) >= 0 && dup2(descriptor, STDERR_FILENO) >= 0;
    close(descriptor);
    return redirected;
}

// The tool's run: a zeroed buffer and a newly opened file, as its process
// starts with.
bool Cut(const char* path, bool& opened)
{
    std::fill(DiskBuffer, DiskBuffer + DiskBufferSize, static_cast<unsigned char>(0));
    Kept.Clear();
    D88File file;
    opened = file.Open(path);
    if (!opened) {
        std::fputs(CannotOpenFileMessage, stderr);
        return false;
    }
    return CutImages(file, NoDiskNumber, Kept);
}

nlohmann::json Report(const char* path, const char* name)
{
    D88File file;
    if (!file.Open(path)) {
        return JsonUnopenedReport(name);
    }
    return JsonReport(name, CollectFileFacts(file), ReportOptions{});
}

}  // namespace

extern "C" {

// Cuts the file at `path` (shown as `name`) with the console in
// `consolePath`, then analyses it. Returns JSON: "report" (d88info's entry
// for the file), "complete" (d88cut's exit status would be 0), "console"
// (whether it was captured) and "files" (name, size, complete, in order).
EMSCRIPTEN_KEEPALIVE const char* d88web_run(const char* path, const char* name,
                                            const char* consolePath)
{
    const bool captured = CaptureConsole(consolePath);
    bool opened = false;
    const bool complete = Cut(path, opened);
    nlohmann::json files = nlohmann::json::array();
    for (const auto& [fileName, kept] : Kept.Files()) {
        files.push_back(
            {{"name", fileName}, {"size", kept.bytes.size()}, {"complete", kept.complete}});
    }
    const nlohmann::json result = {{"report", Report(path, name)},
                                   {"complete", opened && complete},
                                   {"console", captured},
                                   {"files", files}};
    RunResult = result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return RunResult.c_str();
}

// The bytes of the kept file `name` of the last run; null when there is none.
EMSCRIPTEN_KEEPALIVE const unsigned char* d88web_file_data(const char* name)
{
    const auto found = Kept.Files().find(name);
    return found == Kept.Files().end() ? nullptr : found->second.bytes.data();
}

}  // extern "C"
