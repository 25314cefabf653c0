#include "FileKind.h"

#include <array>
#include <string_view>

#include "D88File.h"
#include "DiskRecognition.h"

namespace {

constexpr char Unpack[] = "unpack it and give the image inside";

// Magic bytes at a fixed offset; '?' stands for any byte.
struct ContainerMagic {
    std::uint64_t offset;
    std::string_view magic;
    NotAnImage what;
};

constexpr std::array<ContainerMagic, 7> ContainerMagics{{
    {0, "PK\x03\x04", {"ZIP archive", "ZIP archive", Unpack}},
    // The end record alone: an archive of no file.
    {0, "PK\x05\x06", {"empty ZIP archive", "ZIP archive", "it holds no file"}},
    // ID1, ID2 and the one compression method gzip defines.
    {0, "\x1F\x8B\x08", {"gzip file", "gzip file", "decompress it and give the image inside"}},
    // A method ID such as -lh5- after the header's size and checksum.
    {2, "-lh?-", {"LZH archive", "LZH archive", Unpack}},
    {2, "-lz?-", {"LZH archive", "LZH archive", Unpack}},
    {0, "7z\xBC\xAF\x27\x1C", {"7z archive", "7z archive", Unpack}},
    {0, "Rar!\x1A\x07", {"RAR archive", "RAR archive", Unpack}},
}};

constexpr NotAnImage EmptyFile{"empty file", nullptr, "it holds no byte"};
constexpr NotAnImage OtherFile{"not a disk image", nullptr,
                               "its bytes fit none of the formats d88cut reads"};

bool HasMagic(ByteSource& source, const ContainerMagic& entry)
{
    std::array<unsigned char, 8> bytes{};
    const std::size_t length = entry.magic.size();
    if (length > bytes.size() || source.ReadAt(entry.offset, bytes.data(), length) != length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (entry.magic[i] != '?' && bytes[i] != static_cast<unsigned char>(entry.magic[i])) {
            return false;
        }
    }
    return true;
}

const NotAnImage* ContainerOf(ByteSource& source)
{
    for (const ContainerMagic& entry : ContainerMagics) {
        if (HasMagic(source, entry)) {
            return &entry.what;
        }
    }
    return nullptr;
}

// Whether d88cut would cut files from some image of the file.
bool HoldsDiskOfTheTitle(D88File& file)
{
    for (std::int32_t index = 0; index < file.GetImageCount(); ++index) {
        if (file.SelectImage(index) && RecogniseDisk(file).disk != nullptr) {
            return true;
        }
    }
    return false;
}

FileFacts NotAnImageFacts(const NotAnImage& what, std::uint64_t size)
{
    return {ImageFormat::D88, size, false, {}, &what, std::nullopt};
}

// `file` holds the bytes of a file of `size` bytes, opened as d88cut opens
// them.
FileFacts OpenedFileFacts(bool plausibleD88, std::uint64_t size, D88File& file)
{
    // A damaged header still counts where d88cut finds the title's disk.
    if (!plausibleD88 && file.GetFormat() == ImageFormat::D88 && !HoldsDiskOfTheTitle(file)) {
        return NotAnImageFacts(size == 0 ? EmptyFile : OtherFile, size);
    }
    return CollectFileFacts(file);
}

}  // namespace

FileFacts ExamineFile(std::unique_ptr<ByteSource> source, const std::filesystem::path* path)
{
    const std::uint64_t size = source->Size();
    // A D88 header first, as d88cut reads the file: a disk named "PK..." is
    // still a disk.
    const bool plausible = IsPlausibleD88(*source);
    if (const NotAnImage* container = plausible ? nullptr : ContainerOf(*source)) {
        return NotAnImageFacts(*container, size);
    }
    D88File file;
    file.Open(std::move(source), path);
    return OpenedFileFacts(plausible, size, file);
}

FileFacts ExamineOpenedFile(ByteSource& source, D88File& file)
{
    const bool plausible = IsPlausibleD88(source);
    if (const NotAnImage* container = plausible ? nullptr : ContainerOf(source)) {
        return NotAnImageFacts(*container, source.Size());
    }
    return OpenedFileFacts(plausible, source.Size(), file);
}

FileFacts ExamineFile(ConvertedImage image)
{
    D88File file;
    file.Open(std::move(image));
    return CollectFileFacts(file);
}
