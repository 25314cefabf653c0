#include "ImageFormat.h"

#include <array>
#include <iterator>

#include "FormatReaders.h"
#include "LittleEndian.h"

namespace {

constexpr std::size_t D88HeaderSize = 0x2B0;
constexpr std::size_t D88MediaTypeAt = 0x1B;
constexpr std::size_t D88DiskSizeAt = 0x1C;
constexpr std::size_t D88TrackTableAt = 0x20;
constexpr std::array<unsigned char, 5> D88MediaTypes{0x00, 0x10, 0x20, 0x30, 0x40};

// A first image header a D88 reader would take: a known media type, a disk
// size within the file, and every track offset within the disk.
bool LooksLikeD88(ByteSource& source)
{
    std::array<unsigned char, D88HeaderSize> header{};
    if (!ReadExactly(source, 0, header.data(), header.size())) {
        return false;
    }
    bool knownMedia = false;
    for (const unsigned char mediaType : D88MediaTypes) {
        knownMedia = knownMedia || header[D88MediaTypeAt] == mediaType;
    }
    const std::uint32_t diskSize = DecodeLe32(&header[D88DiskSizeAt]);
    if (!knownMedia || diskSize < D88HeaderSize || diskSize > source.Size()) {
        return false;
    }
    for (std::size_t at = D88TrackTableAt; at < D88HeaderSize; at += 4) {
        const std::uint32_t offset = DecodeLe32(&header[at]);
        if (offset != 0 && (offset < D88HeaderSize || offset > diskSize)) {
            return false;
        }
    }
    return true;
}

struct FormatReader {
    ImageFormat format;
    std::optional<D88Bytes> (*convert)(ByteSource&);
};

// Formats with a magic or a header first; raw HDM, told by its size alone, last.
constexpr std::array<FormatReader, 6> FormatReaders{{
    {ImageFormat::NfdR0, ConvertNfdR0},
    {ImageFormat::NfdR1, ConvertNfdR1},
    {ImageFormat::Td0, ConvertTd0},
    {ImageFormat::Fdi, ConvertFdi},
    {ImageFormat::Dcp, ConvertDcp},
    {ImageFormat::Hdm, ConvertHdm},
}};

constexpr const char* FormatNames[] = {"D88", "HDM", "FDI", "NFD r0", "NFD r1", "DCP/DCU", "TD0"};

}  // namespace

const char* ImageFormatName(ImageFormat format)
{
    const auto index = static_cast<std::size_t>(format);
    if (index >= std::size(FormatNames)) {
        return "";
    }
    return FormatNames[index];
}

std::optional<ConvertedImage> ConvertToD88(ByteSource& source)
{
    if (LooksLikeD88(source)) {
        return std::nullopt;
    }
    for (const FormatReader& reader : FormatReaders) {
        std::optional<D88Bytes> image = reader.convert(source);
        if (image) {
            return ConvertedImage{reader.format, std::move(*image)};
        }
    }
    return std::nullopt;
}
