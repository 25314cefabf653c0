// The IBM System/34 layout as PC-98 formatters write it: MFM with 4E gaps,
// 12-byte syncs and A1 marks; FM with FF gaps, 6-byte syncs and marks with
// clock C7 (D7 for the index mark). Gap lengths follow one common
// formatter; the decoder must not depend on them.
#include "SynthTrackCells.h"

#include <algorithm>
#include <array>
#include <optional>

#include "Crc16.h"

namespace {

struct Layout {
    std::uint8_t gapByte;
    std::size_t gap4a;
    std::size_t gap1;
    std::size_t sync;
    std::size_t gap2;
};
constexpr Layout MfmLayout{0x4E, 80, 50, 12, 22};
constexpr Layout FmLayout{0xFF, 40, 26, 6, 11};
constexpr std::array<std::size_t, 4> MfmGap3{32, 54, 84, 116};
constexpr std::size_t FmGap3 = 27;
constexpr std::uint8_t MarkClock = 0xC7;
constexpr std::uint8_t IndexMarkClock = 0xD7;
constexpr std::uint8_t NormalFmClock = 0xFF;
constexpr std::size_t CorruptBytes = 16;

class CellWriter {
public:
    explicit CellWriter(bool fmTrack) : fm_(fmTrack) {}

    // A byte with its normal clocks; in MFM, without the clock before data
    // bit `missingClock` (0 = least significant), as A1 and C2 syncs have.
    void Byte(std::uint8_t value, int missingClock = -1)
    {
        if (fm_) {
            FmByte(value, NormalFmClock);
            return;
        }
        for (int bit = 7; bit >= 0; --bit) {
            const bool data = ((unsigned{value} >> bit) & 1U) != 0;
            const bool clock = !lastData_ && !data && bit != missingClock;
            cells_.push_back(clock ? 1 : 0);
            cells_.push_back(data ? 1 : 0);
            lastData_ = data;
        }
    }

    void Repeat(std::uint8_t value, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            Byte(value);
        }
    }

    void FmByte(std::uint8_t data, std::uint8_t clock)
    {
        for (int bit = 7; bit >= 0; --bit) {
            cells_.insert(cells_.end(),
                          {0, static_cast<std::uint8_t>((unsigned{clock} >> bit) & 1U), 0,
                           static_cast<std::uint8_t>((unsigned{data} >> bit) & 1U)});
        }
    }

    // An address mark, or the bytes of one with no missing clock.
    void Mark(std::uint8_t value, std::uint8_t fmClock, bool lost = false)
    {
        constexpr std::uint8_t SyncA1 = 0xA1;
        constexpr int A1MissingClock = 2;
        constexpr std::uint8_t SyncC2 = 0xC2;
        constexpr int C2MissingClock = 3;
        if (fm_) {
            FmByte(value, lost ? NormalFmClock : fmClock);
            return;
        }
        const bool index = value == 0xFC;
        for (int i = 0; i < 3; ++i) {
            Byte(index ? SyncC2 : SyncA1, lost ? -1 : (index ? C2MissingClock : A1MissingClock));
        }
        Byte(value);
    }

    [[nodiscard]] std::size_t Size() const { return cells_.size(); }
    std::vector<std::uint8_t> Take() { return std::move(cells_); }

private:
    bool fm_;
    bool lastData_ = false;
    std::vector<std::uint8_t> cells_;
};

bool Damaged(const FluxSynthesis& synthesis, int trackIndex, std::size_t place, int revolution,
             SectorFault fault)
{
    return std::any_of(synthesis.damage.begin(), synthesis.damage.end(),
                       [&](const SectorDamage& damage) {
                           return damage.trackIndex == trackIndex && damage.place == place &&
                                  damage.fault == fault &&
                                  (damage.revolutions.empty() ||
                                   std::find(damage.revolutions.begin(), damage.revolutions.end(),
                                             revolution) != damage.revolutions.end());
                       });
}

// A field after its mark, with its CRC, which a bad CRC inverts. Corrupt
// data is changed after the CRC, at a place of its own in each revolution.
void Field(CellWriter& writer, bool fmTrack, std::uint8_t mark, Bytes bytes, bool badCrc,
           std::optional<int> corruptIn)
{
    std::uint16_t crc = Crc16Preset;
    if (!fmTrack) {
        const std::array<unsigned char, 3> syncs{0xA1, 0xA1, 0xA1};
        crc = UpdateCrc16(crc, syncs.data(), syncs.size());
    }
    crc = UpdateCrc16(crc, &mark, 1);
    crc = UpdateCrc16(crc, bytes.data(), bytes.size());
    if (badCrc) {
        crc = static_cast<std::uint16_t>(~crc);
    }
    if (corruptIn) {
        const std::size_t from =
            bytes.size() / 2 + CorruptBytes * static_cast<std::size_t>(*corruptIn);
        for (std::size_t i = from; i < std::min(bytes.size(), from + CorruptBytes); ++i) {
            bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
        }
    }
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    for (const std::uint8_t byte : bytes) {
        writer.Byte(byte);
    }
}

void Sector(CellWriter& writer, const SynthTrack& track, std::size_t place, int revolution,
            const FluxSynthesis& synthesis)
{
    const SynthSector& sector = track.sectors[place];
    const Layout& layout = track.fm ? FmLayout : MfmLayout;
    const auto damaged = [&](SectorFault fault) {
        return Damaged(synthesis, track.trackIndex, place, revolution, fault);
    };
    writer.Repeat(0x00, layout.sync);
    writer.Mark(0xFE, MarkClock);
    Field(writer, track.fm, 0xFE, {sector.c, sector.h, sector.r, sector.n},
          damaged(SectorFault::BadIdCrc), std::nullopt);
    writer.Repeat(layout.gapByte, layout.gap2);
    writer.Repeat(0x00, layout.sync);
    const std::uint8_t dataMark = sector.deleted ? 0xF8 : 0xFB;
    writer.Mark(dataMark, MarkClock, damaged(SectorFault::LostDataMark));
    Bytes data = sector.data;
    data.resize(std::size_t{128} << std::min<std::uint8_t>(sector.n, 7), 0);
    const bool corrupt = damaged(SectorFault::CorruptData);
    Field(writer, track.fm, dataMark, std::move(data), false,
          corrupt ? std::optional<int>(revolution) : std::nullopt);
    writer.Repeat(layout.gapByte, track.fm ? FmGap3 : MfmGap3[std::min<std::size_t>(sector.n, 3)]);
}

}  // namespace

std::vector<std::uint8_t> SynthTrackCells(const SynthTrack& track, int revolution,
                                          const FluxSynthesis& synthesis)
{
    const Layout& layout = track.fm ? FmLayout : MfmLayout;
    CellWriter writer(track.fm);
    writer.Repeat(layout.gapByte, layout.gap4a);
    writer.Repeat(0x00, layout.sync);
    writer.Mark(0xFC, IndexMarkClock);
    writer.Repeat(layout.gapByte, layout.gap1);
    for (std::size_t place = 0; place < track.sectors.size(); ++place) {
        Sector(writer, track, place, revolution, synthesis);
    }
    const std::size_t written = writer.Size();
    while (writer.Size() < synthesis.cellsPerRevolution) {
        writer.Byte(layout.gapByte);
    }
    std::vector<std::uint8_t> cells = writer.Take();
    cells.resize(std::max(written, synthesis.cellsPerRevolution));
    std::rotate(cells.begin(),
                cells.begin() +
                    static_cast<std::ptrdiff_t>(synthesis.indexAfterCells % cells.size()),
                cells.end());
    return cells;
}
