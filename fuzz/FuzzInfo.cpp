// Fuzz target over d88info's reports: any bytes are examined as a file, in
// memory; the text report is rendered with the track map and with one line
// per sector, the JSON report with its sectors (which holds all the other
// form holds). The sanitizers and the JSON library's own checks (a string
// that is not UTF-8 cannot be dumped) do the checking.
#include <memory>
#include <sstream>
#include <vector>

#include "FileKind.h"
#include "FuzzTarget.h"
#include "Reports.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FileFacts facts = ExamineFile(
        std::make_unique<MemoryByteSource>(std::vector<unsigned char>(data, data + size)));
    for (const bool listSectors : {false, true}) {
        const ReportOptions options{listSectors, TextForm::Utf8};
        std::ostringstream text;
        WriteTextReport(text, "input", facts, options);
    }
    static_cast<void>(JsonReport("input", facts, ReportOptions{true, TextForm::Utf8}).dump());
    return 0;
}
