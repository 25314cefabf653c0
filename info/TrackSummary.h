// A track's sector headers summed up: what the track map shows of it, and
// the words both reports use for header fields.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ImageFacts.h"

// Anything unusual in a track.
enum class TrackMark {
    DuplicateIds,   // two sectors with the same C, H, R, N
    OffPlace,       // an ID whose C or H is not the track's place
    OddDataSize,    // data size other than 128 << N
    DeletedData,    // a deleted-data mark
    SingleDensity,  // an FM sector
    BadStatus,      // a non-zero status
    CutShort,       // data cut short by the end of the image or the file
    EndsEarly,      // fewer sectors than the first header counts
    ListingCut,     // more headers than the listing lets in
};

struct TrackMarkWords {
    TrackMark mark;
    const char* text;  // for people
    const char* key;   // for JSON
};

inline constexpr std::array<TrackMarkWords, 9> TrackMarkTable = {{
    {TrackMark::DuplicateIds, "duplicate IDs", "duplicate_ids"},
    {TrackMark::OffPlace, "C/H not the track's place", "c_h_not_track_place"},
    {TrackMark::OddDataSize, "data size not 128 << N", "data_size_not_128_shl_n"},
    {TrackMark::DeletedData, "deleted data", "deleted_data"},
    {TrackMark::SingleDensity, "FM", "fm"},
    {TrackMark::BadStatus, "non-zero status", "non_zero_status"},
    {TrackMark::CutShort, "data cut short by the end of the image or file", "data_cut_short"},
    {TrackMark::EndsEarly, "fewer sectors than its sector count", "fewer_sectors_than_count"},
    {TrackMark::ListingCut, "more headers than a real track holds, not listed", "listing_cut"},
}};

struct TrackSummary {
    // Distinct values, ascending.
    std::vector<std::int32_t> c;
    std::vector<std::int32_t> h;
    std::vector<std::int32_t> n;
    // R values in recorded order, as Ranges gives them.
    std::string r;
    std::uint32_t marks = 0;

    [[nodiscard]] bool Has(TrackMark mark) const;
};

// The C and H an ID of track `trackIndex` should carry: one-sided media
// (1D, 1DD) record one track per cylinder, the others two.
std::int32_t PlaceCylinder(std::int32_t trackIndex, std::int32_t mediaType);
std::int32_t PlaceHead(std::int32_t trackIndex, std::int32_t mediaType);

TrackSummary SummariseTrack(const TrackFacts& track, std::int32_t mediaType);

// "1-8", "1,3,5-7", "0(x40)": runs of values each one more than the last,
// and of one value repeated.
std::string Ranges(const std::vector<std::int32_t>& values);

// What a header field's value means.
const char* MediaTypeMeaning(std::int32_t mediaType);
const char* WriteProtectMeaning(std::int32_t writeProtect);
const char* FindingWord(SignatureFinding finding);
