#include "ImageFormat.h"

#include <array>
#include <iterator>

#include "D88Layout.h"
#include "FormatReaders.h"
#include "LittleEndian.h"
#include "flux/FluxFormats.h"

namespace {

constexpr std::array<unsigned char, 5> D88MediaTypes{d88::Media2D, d88::Media2DD, d88::Media2HD,
                                                     d88::Media1D, d88::Media1DD};

// A first image header a D88 reader would take: a known media type, a disk
// size of at least a header and at most `sizeBound`, and every track offset
// within the disk.
bool HeaderFits(ByteSource& source, std::uint64_t sizeBound)
{
    std::array<unsigned char, d88::ImageHeaderSize> header{};
    if (!ReadExactly(source, 0, header.data(), header.size())) {
        return false;
    }
    bool knownMedia = false;
    for (const unsigned char mediaType : D88MediaTypes) {
        knownMedia = knownMedia || header[d88::MediaTypeField] == mediaType;
    }
    const std::uint32_t diskSize = DecodeLe32(&header[d88::DiskSizeField]);
    if (!knownMedia || diskSize < d88::ImageHeaderSize || diskSize > sizeBound) {
        return false;
    }
    for (std::size_t at = d88::TrackTableField; at < d88::ImageHeaderSize;
         at += d88::TrackEntrySize) {
        const std::uint32_t offset = DecodeLe32(&header[at]);
        if (offset != 0 && (offset < d88::ImageHeaderSize || offset > diskSize)) {
            return false;
        }
    }
    return true;
}

bool LooksLikeD88(ByteSource& source)
{
    return HeaderFits(source, source.Size());
}

struct FormatReader {
    ImageFormat format;
    std::optional<D88Bytes> (*convert)(ByteSource&);
};

// Formats whose bytes prove them, by a magic or a header and a size rule.
// A file that two of them accept is ambiguous, and is read as D88.
constexpr std::array<FormatReader, 7> FormatReaders{{
    {ImageFormat::NfdR0, ConvertNfdR0},
    {ImageFormat::NfdR1, ConvertNfdR1},
    {ImageFormat::Fdd, ConvertFdd},
    {ImageFormat::Imd, ConvertImd},
    {ImageFormat::Dim, ConvertDim},
    {ImageFormat::Fdi, ConvertFdi},
    {ImageFormat::Dcp, ConvertDcp},
}};

constexpr const char* FormatNames[] = {"D88", "HDM", "FDI", "NFD r0", "NFD r1", "DCP/DCU", "DIM",
                                       "FDD", "IMD", "TD0", "SCP",    "HFE",    "KryoFlux"};
// One name for each format, so that none is shown as "".
static_assert(std::size(FormatNames) == static_cast<std::size_t>(ImageFormat::Kryoflux) + 1);

}  // namespace

const char* ImageFormatName(ImageFormat format)
{
    const auto index = static_cast<std::size_t>(format);
    if (index >= std::size(FormatNames)) {
        return "";
    }
    return FormatNames[index];
}

bool IsPlausibleD88(ByteSource& source)
{
    // A file cut short keeps its header, whose disk size then passes the end.
    return HeaderFits(source, UINT32_MAX);
}

namespace {

ConvertedImage FromFlux(ImageFormat format, FluxDisk disk)
{
    return ConvertedImage{format, std::move(disk.image), std::move(disk.report)};
}

// TD0 and the flux dumps, proven by their magic, a CRC or a sound header,
// come first: their headers are no D88 header, but may pass for one.
std::optional<ConvertedImage> ConvertBeforeD88(ByteSource& source,
                                               const std::filesystem::path* path)
{
    if (std::optional<D88Bytes> image = ConvertTd0(source)) {
        return ConvertedImage{ImageFormat::Td0, std::move(*image), std::nullopt};
    }
    if (std::optional<FluxDisk> disk = ConvertScp(source)) {
        return FromFlux(ImageFormat::Scp, std::move(*disk));
    }
    if (std::optional<FluxDisk> disk = ConvertHfe(source)) {
        return FromFlux(ImageFormat::Hfe, std::move(*disk));
    }
    if (path != nullptr) {
        if (std::optional<FluxDisk> disk = ConvertKryoflux(source, *path)) {
            return FromFlux(ImageFormat::Kryoflux, std::move(*disk));
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<ConvertedImage> ConvertToD88(ByteSource& source, const std::filesystem::path* path)
{
    if (std::optional<ConvertedImage> proven = ConvertBeforeD88(source, path)) {
        return proven;
    }
    if (LooksLikeD88(source)) {
        return std::nullopt;
    }
    std::optional<ConvertedImage> proven;
    for (const FormatReader& reader : FormatReaders) {
        std::optional<D88Bytes> image = reader.convert(source);
        if (image && proven) {
            return std::nullopt;
        }
        if (image) {
            proven = ConvertedImage{reader.format, std::move(*image), std::nullopt};
        }
    }
    if (proven) {
        return proven;
    }
    // Raw HDM, told by its size alone, only when no header proves the file.
    std::optional<D88Bytes> raw = ConvertHdm(source);
    if (raw) {
        return ConvertedImage{ImageFormat::Hdm, std::move(*raw), std::nullopt};
    }
    return std::nullopt;
}

std::optional<ConvertedImage> ConvertKryofluxStreamsToD88(std::vector<NamedBytes> files)
{
    if (std::optional<FluxDisk> disk = ConvertKryofluxStreams(std::move(files))) {
        return FromFlux(ImageFormat::Kryoflux, std::move(*disk));
    }
    return std::nullopt;
}
