// The JSON report: one object per file, with the same facts as the text
// report. Text from the disk is given decoded and as raw hex.
#include <cstdio>
#include <utility>

#include "FileKind.h"
#include "Reports.h"
#include "TrackSummary.h"

namespace {

using nlohmann::json;

json TextAndHex(const std::string& bytes)
{
    return {
        {"text", FillerRun(bytes, TextForm::Utf8).value_or(ReadableText(bytes, TextForm::Utf8))},
        {"hex", HexBytes(bytes, "")}};
}

json AddressJson(const SectorAddress& sector)
{
    return {{"track", sector.trackIndex},
            {"c", sector.c},
            {"h", sector.h},
            {"r", sector.r},
            {"n", sector.n}};
}

// The sector headers of a track as columns, one array per field, in
// recorded order: a track of hundreds of junk headers stays cheap to build.
json SectorColumns(const std::vector<SectorHeaderInfo>& sectors)
{
    const std::size_t count = sectors.size();
    std::vector<int> c(count);
    std::vector<int> h(count);
    std::vector<int> r(count);
    std::vector<int> n(count);
    std::vector<int> sectorCount(count);
    std::vector<bool> singleDensity(count);
    std::vector<int> deletedMark(count);
    std::vector<int> status(count);
    std::vector<int> dataSize(count);
    std::vector<int> dataBytesHeld(count);
    for (std::size_t i = 0; i < count; ++i) {
        const SectorHeaderInfo& sector = sectors[i];
        c[i] = sector.c;
        h[i] = sector.h;
        r[i] = sector.r;
        n[i] = sector.n;
        sectorCount[i] = sector.sectorCount;
        singleDensity[i] = sector.density == d88::DensityFm;
        deletedMark[i] = sector.deletedMark;
        status[i] = sector.status;
        dataSize[i] = sector.dataSize;
        dataBytesHeld[i] = sector.dataBytesHeld;
    }
    return {{"c", c},
            {"h", h},
            {"r", r},
            {"n", n},
            {"sector_count", sectorCount},
            {"fm", singleDensity},
            {"deleted_mark", deletedMark},
            {"status", status},
            {"data_size", dataSize},
            {"data_bytes_held", dataBytesHeld}};
}

json TrackJson(const TrackFacts& track, std::int32_t mediaType, const ReportOptions& options)
{
    const TrackSummary summary = SummariseTrack(track, mediaType);
    json marks = json::array();
    for (const TrackMarkWords& words : TrackMarkTable) {
        if (summary.Has(words.mark)) {
            marks.push_back(words.key);
        }
    }
    json entry = {{"index", track.index},     {"sector_count", track.sectors.size()},
                  {"c", summary.c},           {"h", summary.h},
                  {"r", summary.r},           {"n", summary.n},
                  {"marks", std::move(marks)}};
    if (options.listSectors) {
        entry["sectors"] = SectorColumns(track.sectors);
    }
    return entry;
}

json SignatureJson(const SignatureReading& facts)
{
    const DiskSignature& signature = facts.disk->signature;
    json entry = {{"disk", facts.disk->letter},
                  {"sector", AddressJson(signature.sector)},
                  {"offset", signature.offset},
                  {"finding", FindingWord(facts.finding)},
                  {"bytes_read", facts.bytesRead},
                  {"expected", TextAndHex(std::string(
                                   signature.text, static_cast<std::size_t>(signature.length)))}};
    if (facts.finding == SignatureFinding::Different) {
        entry["found"] = TextAndHex(facts.found);
    }
    return entry;
}

json RecordedErrorsJson(const std::vector<SectorRead>& sectors)
{
    json list = json::array();
    for (const SectorRead& sector : sectors) {
        list.push_back({{"track", sector.trackIndex},
                        {"c", sector.c},
                        {"h", sector.h},
                        {"r", sector.r},
                        {"n", sector.n},
                        {"status", sector.status}});
    }
    return list;
}

json RegionJson(const RegionFacts& facts)
{
    json entry = {
        {"name", facts.region->name},
        {"length", facts.region->length},
        {"bytes_read", facts.bytesRead},
        {"complete", facts.bytesRead == facts.region->length},
        {"damaged", facts.bytesRead != facts.region->length || !facts.recordedErrors.empty()},
        {"recorded_errors", RecordedErrorsJson(facts.recordedErrors)},
        {"file_written", facts.fileWritten}};
#ifndef D88INFO_NO_CHECKSUMS
    if (facts.fileWritten) {
        char crc[16];
        static_cast<void>(std::snprintf(crc, sizeof crc, "%08x", facts.crc32));
        entry["crc32"] = crc;
        entry["sha256"] = facts.sha256;
    }
#endif
    return entry;
}

json ImageJson(const ImageFacts& image, const ReportOptions& options)
{
    json tracks = json::array();
    for (const TrackFacts& track : image.tracks) {
        tracks.push_back(TrackJson(track, image.mediaType, options));
    }
    json signatures = json::array();
    for (const SignatureReading& signature : image.recognition.signatures) {
        signatures.push_back(SignatureJson(signature));
    }
    json regions = json::array();
    for (const RegionFacts& region : image.regions) {
        regions.push_back(RegionJson(region));
    }
    return {
        {"number", image.index + 1},
        {"offset", image.offset},
        {"disk_size", image.diskSize},
        {"bytes_held", image.bytesHeld},
        {"name", TextAndHex(image.name)},
        {"media_type", {{"byte", image.mediaType}, {"meaning", MediaTypeMeaning(image.mediaType)}}},
        {"write_protect",
         {{"byte", image.writeProtect}, {"meaning", WriteProtectMeaning(image.writeProtect)}}},
        {"tracks", std::move(tracks)},
        {"verdict",
         {{"disk", image.recognition.disk == nullptr ? json(nullptr)
                                                     : json(image.recognition.disk->letter)},
          {"signatures", std::move(signatures)}}},
        {"regions", std::move(regions)}};
}

json FluxSectorJson(const FluxSectorReport& sector)
{
    return {{"c", sector.fields.c},           {"h", sector.fields.h},
            {"r", sector.fields.r},           {"n", sector.fields.n},
            {"fm", sector.fields.fm},         {"deleted", sector.fields.deleted},
            {"status", sector.fields.status}, {"data_size", sector.dataSize},
            {"id_reads", sector.idReads},     {"data_reads", sector.dataReads},
            {"good_reads", sector.goodReads}};
}

json FluxJson(const FluxDiskReport& flux)
{
    json tracks = json::array();
    for (const FluxTrackReport& track : flux.tracks) {
        json sectors = json::array();
        for (const FluxSectorReport& sector : track.sectors) {
            sectors.push_back(FluxSectorJson(sector));
        }
        tracks.push_back({{"index", track.trackIndex},
                          {"revolutions", track.revolutions},
                          {"cell_ns", track.cellNs},
                          {"revolution_ns", track.revolutionNs},
                          {"cells_per_revolution", track.cellsPerRevolution},
                          {"id_crc_errors", track.idCrcErrors},
                          {"sectors", std::move(sectors)}});
    }
    return {{"media_type", flux.mediaType}, {"tracks", std::move(tracks)}};
}

}  // namespace

json JsonReport(const std::string& fileName, const FileFacts& facts, const ReportOptions& options)
{
    if (facts.notAnImage != nullptr) {
        const NotAnImage& what = *facts.notAnImage;
        return {{"file", fileName},
                {"opened", true},
                {"format", what.kind},
                {"not_a_disk_image",
                 {{"container", what.container == nullptr ? json(nullptr) : json(what.container)},
                  {"reason", what.reason}}},
                {"images", json::array()}};
    }
    json images = json::array();
    for (const ImageFacts& image : facts.images) {
        images.push_back(ImageJson(image, options));
    }
    json report = {{"file", fileName},
                   {"opened", true},
                   {"format", ImageFormatName(facts.format)},
                   {"d88_bytes", facts.d88Bytes},
                   {"images_past_limit", facts.imagesPastLimit},
                   {"images", std::move(images)}};
    if (facts.flux) {
        report["flux"] = FluxJson(*facts.flux);
    }
    return report;
}

json JsonUnopenedReport(const std::string& fileName, const std::string& reason)
{
    return {{"file", fileName}, {"opened", false}, {"reason", reason}};
}
