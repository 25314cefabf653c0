// The text report. A file's line, then per image: its header fields, the
// track map, the verdict with the reason for each signature, and the files
// d88cut would write.
#include <algorithm>
#include <cstdio>
#include <iomanip>

#include "FileKind.h"
#include "Reports.h"
#include "TrackSummary.h"

namespace {

std::string Hex2(std::int32_t value)
{
    char text[16];
    static_cast<void>(std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value)));
    return text;
}

// Text from the disk in quotes, or a run of filler bytes as such.
std::string ShownField(const std::string& bytes, TextForm form)
{
    return FillerRun(bytes, form).value_or("\"" + ReadableText(bytes, form) + "\"");
}

std::string AddressText(const SectorAddress& sector)
{
    return "track " + std::to_string(sector.trackIndex) + " (C " + std::to_string(sector.c) +
           " H " + std::to_string(sector.h) + " R " + std::to_string(sector.r) + " N " +
           std::to_string(sector.n) + ")";
}

std::string MarksText(std::uint32_t marks)
{
    std::string text;
    for (const TrackMarkWords& words : TrackMarkTable) {
        if ((marks & (1U << static_cast<unsigned>(words.mark))) != 0) {
            text += (text.empty() ? "  [" : ", ") + std::string(words.text);
        }
    }
    return text.empty() ? text : text + "]";
}

// Alike neighbours share one line: same sector count, R, N and marks, and
// IDs that carry each track's own place.
bool SameShape(const TrackFacts& track, const TrackSummary& summary, const TrackFacts& next,
               const TrackSummary& nextSummary)
{
    return next.index == track.index + 1 && track.sectors.size() == next.sectors.size() &&
           summary.r == nextSummary.r && summary.n == nextSummary.n &&
           summary.marks == nextSummary.marks && !summary.Has(TrackMark::OffPlace);
}

void WriteTrackLine(std::ostream& out, const std::vector<TrackFacts>& tracks, std::size_t first,
                    std::size_t last, const std::vector<TrackSummary>& summaries)
{
    std::vector<std::int32_t> c;
    std::vector<std::int32_t> h;
    for (std::size_t i = first; i <= last; ++i) {
        c.insert(c.end(), summaries[i].c.begin(), summaries[i].c.end());
        h.insert(h.end(), summaries[i].h.begin(), summaries[i].h.end());
    }
    const TrackSummary& shape = summaries[first];
    std::string indices = std::to_string(tracks[first].index);
    if (last > first) {
        indices += "-" + std::to_string(tracks[last].index);
    }
    out << "    " << indices;
    const std::size_t count = tracks[first].sectors.size();
    if (count == 0) {
        out << "  no sector" << MarksText(shape.marks) << '\n';
        return;
    }
    std::sort(c.begin(), c.end());
    std::sort(h.begin(), h.end());
    c.erase(std::unique(c.begin(), c.end()), c.end());
    h.erase(std::unique(h.begin(), h.end()), h.end());
    out << "  C " << Ranges(c) << "  H " << Ranges(h) << "  " << count
        << (count == 1 ? " sector" : " sectors") << "  R " << shape.r << "  N " << Ranges(shape.n);
    if (shape.n.size() == 1 && shape.n.front() <= d88::MaxSizeCode) {
        out << " (" << Grouped(128U << static_cast<unsigned>(shape.n.front())) << " bytes)";
    }
    out << MarksText(shape.marks) << '\n';
}

void WriteSectorLines(std::ostream& out, const TrackFacts& track)
{
    if (track.sectors.empty()) {
        out << "    track " << track.index << ": no sector\n";
    }
    std::size_t place = 0;
    for (const SectorHeaderInfo& sector : track.sectors) {
        out << "    track " << track.index << " sector " << ++place << ": C " << int{sector.c}
            << " H " << int{sector.h} << " R " << int{sector.r} << " N " << int{sector.n} << ", "
            << Grouped(sector.dataSize) << " bytes";
        if (sector.dataBytesHeld < sector.dataSize) {
            out << " (" << Grouped(sector.dataBytesHeld) << " in the file)";
        }
        out << (sector.density == d88::DensityFm ? ", FM" : ", MFM");
        if (sector.deletedMark != 0) {
            out << ", deleted mark " << Hex2(sector.deletedMark);
        }
        if (sector.status != 0) {
            out << ", status " << Hex2(sector.status);
        }
        out << ", sector count " << sector.sectorCount << '\n';
    }
    if (track.listingCut) {
        out << "    track " << track.index << ": more sectors, not listed\n";
    }
}

void WriteTracks(std::ostream& out, const ImageFacts& image, const ReportOptions& options)
{
    out << "  Tracks:        " << image.tracks.size() << " recorded\n";
    if (options.listSectors) {
        for (const TrackFacts& track : image.tracks) {
            WriteSectorLines(out, track);
        }
        return;
    }
    std::vector<TrackSummary> summaries;
    for (const TrackFacts& track : image.tracks) {
        summaries.push_back(SummariseTrack(track, image.mediaType));
    }
    for (std::size_t first = 0; first < image.tracks.size();) {
        std::size_t last = first;
        while (last + 1 < image.tracks.size() &&
               SameShape(image.tracks[last], summaries[last], image.tracks[last + 1],
                         summaries[last + 1])) {
            ++last;
        }
        WriteTrackLine(out, image.tracks, first, last, summaries);
        first = last + 1;
    }
}

void WriteSignature(std::ostream& out, const ImageFacts& image, const SignatureReading& facts,
                    TextForm form)
{
    const DiskSignature& signature = facts.disk->signature;
    out << "    Disk " << facts.disk->letter << " signature in " << AddressText(signature.sector)
        << " at byte " << signature.offset << ": ";
    switch (facts.finding) {
    case SignatureFinding::Present:
        out << "present\n";
        return;
    case SignatureFinding::Missing:
        out << (IsRecorded(image, signature.sector.trackIndex)
                    ? "missing: no sector of that ID with data in the track\n"
                    : "missing: the track is not recorded\n");
        return;
    case SignatureFinding::ReadShort:
        out << "short: " << Grouped(static_cast<std::uint64_t>(facts.bytesRead)) << " of "
            << Grouped(TitleSectorBytes) << " bytes\n";
        return;
    case SignatureFinding::Different:
        break;
    }
    const std::string expected(signature.text, static_cast<std::size_t>(signature.length));
    out << "different\n"
        << "      expected " << ShownField(expected, form) << '\n'
        << "               " << HexBytes(expected, " ") << '\n'
        << "      found    " << ShownField(facts.found, form) << '\n'
        << "               " << HexBytes(facts.found, " ") << '\n';
}

void WriteVerdict(std::ostream& out, const ImageFacts& image, TextForm form)
{
    out << "  Verdict:       "
        << (image.recognition.disk == nullptr
                ? std::string("neither disk of the title")
                : "disk " + std::string(image.recognition.disk->letter))
        << '\n';
    for (const SignatureReading& signature : image.recognition.signatures) {
        WriteSignature(out, image, signature, form);
        // d88cut looks no further once a signature is present.
        if (signature.finding == SignatureFinding::Present) {
            break;
        }
    }
}

// The sectors of a region the image records as misread: the region is
// damaged, as d88cut says.
void WriteRecordedErrors(std::ostream& out, const std::vector<SectorRead>& sectors)
{
    if (sectors.empty()) {
        return;
    }
    out << "      damaged: read errors recorded in";
    for (const SectorRead& sector : sectors) {
        char status[8];
        static_cast<void>(std::snprintf(status, sizeof status, "%02X", sector.status));
        out << (&sector == &sectors.front() ? " " : ", ")
            << AddressText({sector.trackIndex, sector.c, sector.h, sector.r, sector.n})
            << " status " << status;
    }
    out << '\n';
}

void WriteRegions(std::ostream& out, const ImageFacts& image)
{
    if (image.recognition.disk == nullptr) {
        return;
    }
    out << "  Files d88cut would write:\n";
    for (const RegionFacts& facts : image.regions) {
        const DiskRegion& region = *facts.region;
        out << "    " << std::left << std::setw(7) << region.name << std::right << std::setw(6)
            << Grouped(static_cast<std::uint64_t>(region.length)) << " bytes  ";
        if (!facts.fileWritten) {
            out << "unreadable: no file written\n";
            continue;
        }
        if (facts.bytesRead == region.length) {
            out << "complete";
        } else {
            out << Grouped(static_cast<std::uint64_t>(facts.bytesRead)) << " read, rest zeros";
        }
        char crc[16];
        static_cast<void>(std::snprintf(crc, sizeof crc, "%08x", facts.crc32));
        out << "  CRC32 " << crc << "  SHA-256 "
            << (facts.sha256.empty() ? "unavailable" : facts.sha256) << '\n';
        WriteRecordedErrors(out, facts.recordedErrors);
    }
}

std::string Fixed1(double value)
{
    char text[32];
    static_cast<void>(std::snprintf(text, sizeof text, "%.1f", value));
    return text;
}

std::string Counted(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The sectors of a track read right in fewer revolutions than the track
// had, each as "R r (good/revolutions)": "weak" for those read right at
// least once, "bad" for those never read right.
struct WeakSectors {
    std::string weak;
    std::string bad;
    std::size_t weakCount = 0;
    std::size_t badCount = 0;
};

WeakSectors WeakSectorsOf(const FluxTrackReport& track)
{
    WeakSectors found;
    for (const FluxSectorReport& sector : track.sectors) {
        if (sector.goodReads >= track.revolutions) {
            continue;
        }
        const bool bad = sector.goodReads == 0;
        std::string& list = bad ? found.bad : found.weak;
        ++(bad ? found.badCount : found.weakCount);
        list += (list.empty() ? "R " : ", R ") + std::to_string(sector.fields.r) + " (" +
                std::to_string(sector.goodReads) + "/" + std::to_string(track.revolutions) + ")";
    }
    return found;
}

// One line per track of a flux dump: what the flux measured and the
// sectors that did not read right in every revolution.
void WriteFlux(std::ostream& out, const FluxDiskReport& flux)
{
    std::size_t weak = 0;
    std::size_t bad = 0;
    std::vector<WeakSectors> tracks;
    for (const FluxTrackReport& track : flux.tracks) {
        tracks.push_back(WeakSectorsOf(track));
        weak += tracks.back().weakCount;
        bad += tracks.back().badCount;
    }
    out << "\nFlux:          " << Counted(flux.tracks.size(), "track", "tracks") << " read, "
        << Counted(weak, "weak sector", "weak sectors") << ", " << Counted(bad, "sector", "sectors")
        << " never read right\n";
    for (std::size_t i = 0; i < flux.tracks.size(); ++i) {
        const FluxTrackReport& track = flux.tracks[i];
        out << "    " << track.trackIndex << "  "
            << Counted(static_cast<std::size_t>(track.revolutions), "revolution", "revolutions");
        if (track.cellNs > 0) {
            out << "  cell " << Fixed1(track.cellNs) << " ns";
        } else {
            out << "  no cell found";
        }
        if (track.revolutionNs > 0) {
            out << "  " << Fixed1(60e9 / track.revolutionNs) << " rpm";
        }
        out << "  " << Counted(track.sectors.size(), "sector", "sectors");
        if (track.idCrcErrors > 0) {
            out << "  "
                << Counted(static_cast<std::size_t>(track.idCrcErrors), "ID CRC error",
                           "ID CRC errors");
        }
        if (!tracks[i].weak.empty()) {
            out << "  weak " << tracks[i].weak;
        }
        if (!tracks[i].bad.empty()) {
            out << "  bad " << tracks[i].bad;
        }
        out << '\n';
    }
}

void WriteImage(std::ostream& out, const ImageFacts& image, std::size_t count,
                const ReportOptions& options)
{
    out << "\nImage " << image.index + 1 << " of " << count << ", at byte "
        << Grouped(static_cast<std::uint64_t>(image.offset)) << '\n';
    out << "  Disk size:     " << Grouped(image.diskSize) << " bytes";
    if (image.bytesHeld < image.diskSize) {
        out << " (only " << Grouped(image.bytesHeld) << " in the file)";
    }
    out << "\n  Name:          " << ShownField(image.name, options.textForm) << '\n'
        << "  Media type:    " << Hex2(image.mediaType) << " (" << MediaTypeMeaning(image.mediaType)
        << ")\n"
        << "  Write-protect: " << Hex2(image.writeProtect) << " ("
        << WriteProtectMeaning(image.writeProtect) << ")\n";
    WriteTracks(out, image, options);
    WriteVerdict(out, image, options.textForm);
    WriteRegions(out, image);
}

}  // namespace

std::string Grouped(std::uint64_t value)
{
    std::string digits = std::to_string(value);
    for (std::size_t i = digits.size(); i > 3; i -= 3) {
        digits.insert(i - 3, ",");
    }
    return digits;
}

void WriteTextReport(std::ostream& out, const std::string& fileName, const FileFacts& facts,
                     const ReportOptions& options)
{
    if (facts.notAnImage != nullptr) {
        out << fileName << ": " << facts.notAnImage->kind << ": " << facts.notAnImage->reason
            << '\n';
        return;
    }
    out << fileName << ": " << ImageFormatName(facts.format);
    if (facts.format == ImageFormat::D88) {
        out << ", " << Grouped(facts.d88Bytes) << " bytes";
    } else {
        out << ", read as a D88 image of " << Grouped(facts.d88Bytes) << " bytes";
    }
    const std::size_t count = facts.images.size();
    out << ", " << count << (count == 1 ? " image\n" : " images\n");
    if (facts.flux) {
        WriteFlux(out, *facts.flux);
    }
    for (const ImageFacts& image : facts.images) {
        WriteImage(out, image, count, options);
    }
    if (facts.imagesPastLimit) {
        out << "\nMore images follow the " << D88File::MaxImages
            << "th; d88cut and d88info read no further.\n";
    }
}
