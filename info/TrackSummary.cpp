#include "TrackSummary.h"

#include <algorithm>

#include "D88Layout.h"

namespace {

struct ByteMeaning {
    std::int32_t value;
    const char* meaning;
};

constexpr std::array<ByteMeaning, 5> MediaTypes = {{
    {d88::Media2D, "2D"},
    {d88::Media2DD, "2DD"},
    {d88::Media2HD, "2HD"},
    {d88::Media1D, "1D"},
    {d88::Media1DD, "1DD"},
}};

constexpr std::array<ByteMeaning, 2> WriteProtectFlags = {{
    {d88::WriteProtectOff, "off"},
    {d88::WriteProtectOn, "on"},
}};

template <std::size_t Count>
const char* MeaningOf(const std::array<ByteMeaning, Count>& table, std::int32_t value)
{
    for (const ByteMeaning& row : table) {
        if (row.value == value) {
            return row.meaning;
        }
    }
    return "unknown";
}

bool IsOneSided(std::int32_t mediaType)
{
    return mediaType == d88::Media1D || mediaType == d88::Media1DD;
}

std::vector<std::int32_t> Distinct(std::vector<std::int32_t> values)
{
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

std::uint32_t Bit(TrackMark mark)
{
    return 1U << static_cast<unsigned>(mark);
}

bool HasDuplicateIds(const std::vector<SectorHeaderInfo>& sectors)
{
    std::vector<std::uint32_t> ids;
    ids.reserve(sectors.size());
    for (const SectorHeaderInfo& sector : sectors) {
        ids.push_back(static_cast<std::uint32_t>(sector.c) << 24U |
                      static_cast<std::uint32_t>(sector.h) << 16U |
                      static_cast<std::uint32_t>(sector.r) << 8U | sector.n);
    }
    std::sort(ids.begin(), ids.end());
    return std::adjacent_find(ids.begin(), ids.end()) != ids.end();
}

}  // namespace

bool TrackSummary::Has(TrackMark mark) const
{
    return (marks & Bit(mark)) != 0;
}

std::int32_t PlaceCylinder(std::int32_t trackIndex, std::int32_t mediaType)
{
    return IsOneSided(mediaType) ? trackIndex : trackIndex >> 1;
}

std::int32_t PlaceHead(std::int32_t trackIndex, std::int32_t mediaType)
{
    return IsOneSided(mediaType) ? 0 : trackIndex & 1;
}

TrackSummary SummariseTrack(const TrackFacts& track, std::int32_t mediaType)
{
    TrackSummary summary;
    std::vector<std::int32_t> rValues;
    const std::int32_t placeC = PlaceCylinder(track.index, mediaType);
    const std::int32_t placeH = PlaceHead(track.index, mediaType);
    for (const SectorHeaderInfo& sector : track.sectors) {
        summary.c.push_back(sector.c);
        summary.h.push_back(sector.h);
        summary.n.push_back(sector.n);
        rValues.push_back(sector.r);
        const std::pair<TrackMark, bool> checks[] = {
            {TrackMark::OffPlace, sector.c != placeC || sector.h != placeH},
            {TrackMark::OddDataSize, sector.n > 7 || sector.dataSize != (128U << sector.n)},
            {TrackMark::DeletedData, sector.deletedMark == d88::DeletedDataMark},
            {TrackMark::SingleDensity, sector.density == d88::DensityFm},
            {TrackMark::BadStatus, sector.status != 0},
            {TrackMark::CutShort, sector.dataBytesHeld < sector.dataSize},
        };
        for (const auto& [mark, found] : checks) {
            summary.marks |= found ? Bit(mark) : 0U;
        }
    }
    summary.c = Distinct(summary.c);
    summary.h = Distinct(summary.h);
    summary.n = Distinct(summary.n);
    summary.r = Ranges(rValues);
    if (HasDuplicateIds(track.sectors)) {
        summary.marks |= Bit(TrackMark::DuplicateIds);
    }
    if (!track.sectors.empty() && track.sectors.size() < track.sectors.front().sectorCount &&
        !track.listingCut) {
        summary.marks |= Bit(TrackMark::EndsEarly);
    }
    if (track.listingCut) {
        summary.marks |= Bit(TrackMark::ListingCut);
    }
    return summary;
}

std::string Ranges(const std::vector<std::int32_t>& values)
{
    std::string text;
    for (std::size_t first = 0; first < values.size();) {
        text += (first == 0 ? "" : ",") + std::to_string(values[first]);
        std::size_t last = first;
        while (last + 1 < values.size() && values[last + 1] == values[first]) {
            ++last;
        }
        if (last > first) {
            // The same value again and again, as junk headers often have.
            text += "(x" + std::to_string(last - first + 1) + ")";
        } else {
            while (last + 1 < values.size() && values[last + 1] == values[last] + 1) {
                ++last;
            }
            text += last > first ? "-" + std::to_string(values[last]) : "";
        }
        first = last + 1;
    }
    return text;
}

const char* MediaTypeMeaning(std::int32_t mediaType)
{
    return MeaningOf(MediaTypes, mediaType);
}

const char* WriteProtectMeaning(std::int32_t writeProtect)
{
    return MeaningOf(WriteProtectFlags, writeProtect);
}

const char* FindingWord(SignatureFinding finding)
{
    switch (finding) {
    case SignatureFinding::Present:
        return "present";
    case SignatureFinding::Missing:
        return "missing";
    case SignatureFinding::ReadShort:
        return "short";
    case SignatureFinding::Different:
        return "different";
    }
    return "unknown";
}
