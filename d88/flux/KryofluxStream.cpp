// KryoFlux stream: a run of blocks told by their first byte. Flux blocks and
// no-ops fill the "stream buffer", whose byte count (the stream position)
// the out-of-band (OOB) blocks quote: index pulses by the position of the
// first flux after them, stream information and the stream's end to be
// checked against it.
#include "KryofluxStream.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "ByteStream.h"
#include "FluxFiles.h"
#include "FormatReaders.h"
#include "LittleEndian.h"

namespace {

// Block bytes: 00-07 Flux2, 08-0A Nop1-3, 0B Ovl16, 0C Flux3, 0D OOB, 0E-FF Flux1.
constexpr unsigned char Flux2Last = 0x07;
constexpr unsigned char Nop1 = 0x08;
constexpr unsigned char Nop3 = 0x0A;
constexpr unsigned char Ovl16 = 0x0B;
constexpr unsigned char Flux3 = 0x0C;
constexpr unsigned char Oob = 0x0D;
constexpr std::uint64_t OverflowTicks = 0x10000;

enum OobType : unsigned char {
    Invalid = 0x00,
    StreamInfo = 0x01,
    Index = 0x02,
    StreamEnd = 0x03,
    KfInfo = 0x04,
    EndOfFile = 0x0D,
};
constexpr std::size_t OobHeaderSize = 4;
constexpr std::size_t PositionPayload = 4;
constexpr std::size_t IndexPayload = 12;
constexpr std::size_t StreamEndPayload = 8;

// The bytes of a non-OOB block, its first included.
std::size_t BlockLength(unsigned char first)
{
    if (first <= Flux2Last) {
        return 2;
    }
    if (first <= Nop3) {
        return std::size_t{first} - Nop1 + 1;
    }
    return first == Flux3 ? 3 : 1;
}

// The ticks a Flux1, Flux2 or Flux3 block gives.
unsigned FluxTicks(unsigned char first, const unsigned char* operand)
{
    if (first <= Flux2Last) {
        return (unsigned{first} << 8) | operand[0];
    }
    return first == Flux3 ? (unsigned{operand[0]} << 8) | operand[1] : first;
}

bool IsDigit(char character)
{
    return character >= '0' && character <= '9';
}

// A decimal number such as "24027428.5714285".
std::optional<double> ParseDecimal(std::string_view text)
{
    double value = 0;
    std::size_t next = 0;
    for (; next < text.size() && IsDigit(text[next]); ++next) {
        value = value * 10 + (text[next] - '0');
    }
    if (next == 0) {
        return std::nullopt;
    }
    if (next < text.size() && text[next] == '.') {
        double scale = 1;
        for (++next; next < text.size() && IsDigit(text[next]); ++next) {
            scale /= 10;
            value += (text[next] - '0') * scale;
        }
    }
    return value;
}

bool ReadOperands(ByteStream& stream, unsigned char* operand, std::size_t count)
{
    for (std::size_t read = 0; read < count; ++read) {
        if (!stream.Next(operand[read])) {
            return false;
        }
    }
    return true;
}

// KFInfo is "name=value, name=value, ..."; nullopt when sck is there but is
// no number of at least 1 Hz, `clock` when there is none.
std::optional<double> SampleClockOf(std::string_view info, double clock)
{
    for (std::size_t at = info.find("sck="); at != std::string_view::npos;
         at = info.find("sck=", at + 1)) {
        if (at == 0 || info[at - 1] == ' ' || info[at - 1] == ',') {
            const std::optional<double> value = ParseDecimal(info.substr(at + 4));
            return value && std::isfinite(*value) && *value >= 1 ? value : std::nullopt;
        }
    }
    return clock;
}

class StreamWalker {
public:
    explicit StreamWalker(ByteSource& source) : source_(source) {}

    // Calls onFlux(ticks, stream position after the flux's last byte) for
    // each transition, up to the EOF block or the end of the file: index
    // blocks may still follow the StreamEnd. False unless there was a good
    // StreamEnd, whose position, as every StreamInfo's, agrees with the count.
    template <typename OnFlux>
    bool Walk(OnFlux onFlux);

    std::vector<std::uint32_t> indexes;
    double sampleClockHz = KryofluxSampleClockHz;

private:
    enum class Step { Next, End, Fail };
    Step ReadOob(ByteStream& stream);

    ByteSource& source_;
    std::uint64_t position_ = 0;
    bool ended_ = false;
    std::vector<unsigned char> payload_;
};

template <typename OnFlux>
bool StreamWalker::Walk(OnFlux onFlux)
{
    ByteStream stream(source_, 0, source_.Size());
    std::uint64_t ticks = 0;
    unsigned char first = 0;
    while (stream.Next(first)) {
        if (first == Oob) {
            const Step step = ReadOob(stream);
            if (step != Step::Next) {
                return step == Step::End && ended_;
            }
            continue;
        }
        unsigned char operand[2] = {};
        const std::size_t length = BlockLength(first);
        if (!ReadOperands(stream, operand, length - 1)) {
            return false;
        }
        position_ += length;
        if (first >= Nop1 && first <= Nop3) {
            continue;
        }
        ticks += first == Ovl16 ? OverflowTicks : FluxTicks(first, operand);
        if (ticks > std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
        if (first != Ovl16) {
            onFlux(static_cast<std::uint32_t>(ticks), position_);
            ticks = 0;
        }
    }
    return ended_;
}

StreamWalker::Step StreamWalker::ReadOob(ByteStream& stream)
{
    unsigned char header[OobHeaderSize - 1];
    for (unsigned char& byte : header) {
        if (!stream.Next(byte)) {
            return Step::Fail;
        }
    }
    if (header[0] == EndOfFile || header[0] == Invalid) {
        return Step::End;
    }
    payload_.resize(DecodeLe16(header + 1));
    for (unsigned char& byte : payload_) {
        if (!stream.Next(byte)) {
            return Step::Fail;
        }
    }
    const std::size_t size = payload_.size();
    switch (header[0]) {
    case StreamInfo:
        return size >= PositionPayload && DecodeLe32(payload_.data()) == position_ ? Step::Next
                                                                                   : Step::Fail;
    case Index:
        if (size < IndexPayload) {
            return Step::Fail;
        }
        indexes.push_back(DecodeLe32(payload_.data()));
        return Step::Next;
    case StreamEnd:
        ended_ = size >= StreamEndPayload && DecodeLe32(payload_.data()) == position_ &&
                 DecodeLe32(payload_.data() + 4) == 0;
        return ended_ ? Step::Next : Step::Fail;
    case KfInfo: {
        const std::string_view text(reinterpret_cast<const char*>(payload_.data()), size);
        const std::optional<double> clock = SampleClockOf(text, sampleClockHz);
        sampleClockHz = clock.value_or(0);
        return clock ? Step::Next : Step::Fail;
    }
    default:
        return Step::Next;
    }
}

}  // namespace

bool IsKryofluxStream(ByteSource& source)
{
    unsigned char header[OobHeaderSize];
    if (!ReadExactly(source, 0, header, OobHeaderSize) || header[0] != Oob) {
        return false;
    }
    const bool opening = header[1] == StreamInfo || header[1] == Index || header[1] == KfInfo;
    return opening && OobHeaderSize + DecodeLe16(header + 2) <= source.Size();
}

bool ReadKryofluxStream(ByteSource& source, FluxTrack& track)
{
    // First the index positions and the clock, which may come after the
    // flux they concern; then the flux, cut at them.
    StreamWalker scan(source);
    if (!scan.Walk([](std::uint32_t, std::uint64_t) {})) {
        return false;
    }
    std::vector<std::uint32_t>& indexes = scan.indexes;
    std::sort(indexes.begin(), indexes.end());
    track.tickNs = 1e9 / scan.sampleClockHz;
    track.revolutions.resize(indexes.empty() ? 0 : indexes.size() - 1);
    for (std::vector<std::uint32_t>& revolution : track.revolutions) {
        revolution.clear();
    }
    std::size_t passed = 0;
    StreamWalker flux(source);
    return flux.Walk([&](std::uint32_t ticks, std::uint64_t end) {
        while (passed < indexes.size() && indexes[passed] < end) {
            ++passed;
        }
        if (passed >= 1 && passed < indexes.size()) {
            track.revolutions[passed - 1].push_back(ticks);
        }
    });
}
