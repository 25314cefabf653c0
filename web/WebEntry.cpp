// The web page's way into the library: each disk image the page is given
// (a file, or one inside an archive) is cut and analysed from memory as
// d88cut and d88info would, and the page then takes the kept files' bytes
// and the printed lines from here.
#include <emscripten.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ByteSource.h"
#include "CutImages.h"
#include "D88File.h"
#include "FileKind.h"
#include "ImageFormat.h"
#include "MemorySink.h"
#include "Reports.h"

namespace {

MemorySink Kept;          // NOLINT(cert-err58-cpp): the files of the images given since begin
RecordedConsole Printed;  // NOLINT(cert-err58-cpp): what the last run printed
std::string Answer;       // NOLINT(cert-err58-cpp): the last JSON answer, read by the page
// NOLINTNEXTLINE(cert-err58-cpp): a KryoFlux dump's track files, given one by one
std::vector<NamedBytes> Streams;

// The file as the tool and the report read it: bytes in memory.
std::unique_ptr<ByteSource> BytesOf(const unsigned char* data, std::size_t size)
{
    return std::make_unique<MemoryByteSource>(std::vector<unsigned char>(data, data + size));
}

// The tool's run on a newly opened file, into the files kept so far.
bool Cut(D88File& file)
{
    Printed.Clear();
    return CutImages(file, DiskChoice::BySignature, Kept, Printed);
}

const char* Give(const nlohmann::json& answer)
{
    Answer = answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return Answer.c_str();
}

const char* GiveRun(bool complete, const FileFacts& facts, const char* name)
{
    return Give({{"report", JsonReport(name, facts, ReportOptions{})},
                 {"complete", complete},
                 {"console_size", Printed.both.size()}});
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
    D88File file;
    file.Open(BytesOf(data, size));
    const bool complete = Cut(file);
    // The report reads the file as converted for the cut: a flux dump is
    // decoded once.
    MemoryByteSource bytes(std::vector<unsigned char>(data, data + size));
    return GiveRun(complete, ExamineOpenedFile(bytes, file), name);
}

// A KryoFlux dump given as its track files: d88web_begin_streams, then
// d88web_add_stream for each file (named as on disk, NAMEcc.h.raw), then
// d88web_run_streams, which answers as d88web_run does for one file, or
// null when no file is a stream.
EMSCRIPTEN_KEEPALIVE void d88web_begin_streams()
{
    Streams.clear();
}

EMSCRIPTEN_KEEPALIVE void d88web_add_stream(const unsigned char* data, std::size_t size,
                                            const char* name)
{
    Streams.push_back({name, std::vector<unsigned char>(data, data + size)});
}

EMSCRIPTEN_KEEPALIVE const char* d88web_run_streams(const char* name)
{
    std::optional<ConvertedImage> converted = ConvertKryofluxStreamsToD88(std::move(Streams));
    Streams.clear();
    if (!converted) {
        return nullptr;
    }
    D88File file;
    file.Open(*converted);
    const bool complete = Cut(file);
    return GiveRun(complete, ExamineFile(std::move(*converted)), name);
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
