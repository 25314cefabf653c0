// The JSON report: one object per file, with the same facts as the text
// report. Text from the disk is given decoded and as raw hex.
#include <cstdio>

#include "Reports.h"
#include "TrackSummary.h"

namespace {

using nlohmann::json;

json TextAndHex(const std::string& bytes)
{
    return {{"text", ReadableText(bytes, TextForm::Utf8)}, {"hex", HexBytes(bytes, "")}};
}

json AddressJson(const SectorAddress& sector)
{
    return {{"track", sector.trackIndex},
            {"c", sector.c},
            {"h", sector.h},
            {"r", sector.r},
            {"n", sector.n}};
}

json SectorJson(const SectorHeaderInfo& sector)
{
    return {{"c", sector.c},
            {"h", sector.h},
            {"r", sector.r},
            {"n", sector.n},
            {"sector_count", sector.sectorCount},
            {"density", sector.density == 0x40 ? "FM" : "MFM"},
            {"deleted_mark", sector.deletedMark},
            {"status", sector.status},
            {"data_size", sector.dataSize},
            {"data_bytes_held", sector.dataBytesHeld}};
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
    json entry = {{"index", track.index}, {"sector_count", track.sectors.size()},
                  {"c", summary.c},       {"h", summary.h},
                  {"r", summary.r},       {"n", summary.n},
                  {"marks", marks}};
    if (options.listSectors) {
        json sectors = json::array();
        for (const SectorHeaderInfo& sector : track.sectors) {
            sectors.push_back(SectorJson(sector));
        }
        entry["sectors"] = sectors;
    }
    return entry;
}

json SignatureJson(const SignatureFacts& facts)
{
    const DiskSignature& signature = *facts.signature;
    json entry = {{"disk", facts.disk},
                  {"sector", AddressJson(signature.sector)},
                  {"offset", signature.offset},
                  {"finding", FindingWord(facts.check.finding)},
                  {"bytes_read", facts.check.bytesRead},
                  {"expected", TextAndHex(std::string(
                                   signature.text, static_cast<std::size_t>(signature.length)))}};
    if (facts.check.finding == SignatureFinding::Different) {
        entry["found"] = TextAndHex(facts.found);
    }
    return entry;
}

json RegionJson(const RegionFacts& facts)
{
    json entry = {{"name", facts.region->name},
                  {"length", facts.region->length},
                  {"bytes_read", facts.bytesRead},
                  {"complete", facts.bytesRead == facts.region->length},
                  {"file_written", facts.fileWritten}};
    if (facts.fileWritten) {
        char crc[16];
        static_cast<void>(std::snprintf(crc, sizeof crc, "%08x", facts.crc32));
        entry["crc32"] = crc;
        entry["sha256"] = facts.sha256;
    }
    return entry;
}

json ImageJson(const ImageFacts& image, const ReportOptions& options)
{
    json tracks = json::array();
    for (const TrackFacts& track : image.tracks) {
        tracks.push_back(TrackJson(track, image.mediaType, options));
    }
    json signatures = json::array();
    for (const SignatureFacts& signature : image.signatures) {
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
        {"tracks", tracks},
        {"verdict",
         {{"disk", image.recognisedAs == nullptr ? json(nullptr) : json(image.recognisedAs)},
          {"signatures", signatures}}},
        {"regions", regions}};
}

}  // namespace

json JsonReport(const std::string& fileName, const FileFacts& facts, const ReportOptions& options)
{
    json images = json::array();
    for (const ImageFacts& image : facts.images) {
        images.push_back(ImageJson(image, options));
    }
    return {{"file", fileName},
            {"opened", true},
            {"format", ImageFormatName(facts.format)},
            {"d88_bytes", facts.d88Bytes},
            {"images_past_limit", facts.imagesPastLimit},
            {"images", images}};
}

json JsonUnopenedReport(const std::string& fileName)
{
    return {{"file", fileName}, {"opened", false}};
}
