// The web page's way into the library: each disk image the page is given
// (a file, or one inside an archive) is cut and analysed from memory as
// d88cut and d88info would, and the page then takes the kept files' bytes
// and the printed lines from here.
#include <emscripten.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "ByteSource.h"
#include "CutImages.h"
#include "D88File.h"
#include "FileKind.h"
#include "MemorySink.h"
#include "Reports.h"

namespace {

MemorySink Kept;          // NOLINT(cert-err58-cpp): the files of the images given since begin
RecordedConsole Printed;  // NOLINT(cert-err58-cpp): what the last run printed
std::string Answer;       // NOLINT(cert-err58-cpp): the last JSON answer, read by the page

// The file as the tool and the report read it: bytes in memory.
std::unique_ptr<ByteSource> BytesOf(const unsigned char* data, std::size_t size)
{
    return std::make_unique<MemoryByteSource>(std::vector<unsigned char>(data, data + size));
}

// The tool's run on a newly opened file, into the files kept so far.
bool Cut(const unsigned char* data, std::size_t size)
{
    Printed.Clear();
    D88File file;
    file.Open(BytesOf(data, size));
    return CutImages(file, DiskChoice::BySignature, Kept, Printed);
}

nlohmann::json Report(const unsigned char* data, std::size_t size, const char* name)
{
    return JsonReport(name, ExamineFile(BytesOf(data, size)), ReportOptions{});
}

const char* Give(const nlohmann::json& answer)
{
    Answer = answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return Answer.c_str();
}

}  // namespace

extern "C" {

// Starts a new set of kept files. The images of one archive share a set, as
// d88cut's runs on them in one folder share its files.
EMSCRIPTEN_KEEPALIVE void d88web_begin()
{
    Kept.Clear();
}

// Cuts the `size` bytes at `data` (a file shown as `name`), then analyses
// them. Returns JSON: "report" (d88info's entry for the file), "complete"
// (d88cut's exit status would be 0) and "console_size" (the bytes d88cut
// would print, both streams in the order printed).
EMSCRIPTEN_KEEPALIVE const char* d88web_run(const unsigned char* data, std::size_t size,
                                            const char* name)
{
    const bool complete = Cut(data, size);
    return Give({{"report", Report(data, size, name)},
                 {"complete", complete},
                 {"console_size", Printed.both.size()}});
}

// The files kept since d88web_begin as JSON: name, size, complete, in the
// order d88cut names them.
EMSCRIPTEN_KEEPALIVE const char* d88web_files()
{
    nlohmann::json files = nlohmann::json::array();
    for (const auto& [fileName, kept] : Kept.Files()) {
        files.push_back(
            {{"name", fileName}, {"size", kept.bytes.size()}, {"complete", kept.complete}});
    }
    return Give(files);
}

// The bytes the last run printed: Shift_JIS, as d88cut prints them.
EMSCRIPTEN_KEEPALIVE const char* d88web_console_data()
{
    return Printed.both.data();
}

// The bytes of the kept file `name`; null when there is none.
EMSCRIPTEN_KEEPALIVE const unsigned char* d88web_file_data(const char* name)
{
    const auto found = Kept.Files().find(name);
    return found == Kept.Files().end() ? nullptr : found->second.bytes.data();
}

}  // extern "C"
