// The disk-image formats read besides D88, and their conversion to D88.
//
// PC-98 floppy dumps circulate as raw HDM images, FDI, NFD (revisions 0 and
// 1), DCP/DCU, DIM, FDD (Virtual98), IMD and TD0 (Teledisk) as well as D88. A
// file in one of those formats is turned into one D88 image in memory, which
// is then read exactly as a D88 file is. The format is told from the file's
// bytes alone, never from its name.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "ByteSource.h"
#include "flux/FluxFiles.h"
#include "flux/FluxReport.h"

enum class ImageFormat { D88, Hdm, Fdi, NfdR0, NfdR1, Dcp, Dim, Fdd, Imd, Td0, Scp, Hfe, Kryoflux };

// A short name for messages: "D88", "HDM", "FDI", "NFD r0", "NFD r1", "DCP/DCU",
// "DIM", "FDD", "IMD", "TD0", "SCP", "HFE", "KryoFlux".
const char* ImageFormatName(ImageFormat format);

struct ConvertedImage {
    ImageFormat format;
    // One complete D88 image: header, track table and tracks.
    std::vector<unsigned char> d88;
    // For a flux dump: how well each track and sector read.
    std::optional<FluxDiskReport> fluxReport;
};

// The file converted to a D88 image, or nullopt when it is to be read as D88:
// every file that looks like a D88 image, and every file whose bytes do not
// prove one of the other formats.
// `path`, when given, is where the source was opened: a KryoFlux dump's
// other track files lie beside it.
std::optional<ConvertedImage> ConvertToD88(ByteSource& source,
                                           const std::filesystem::path* path = nullptr);

// A KryoFlux dump given as its track files in memory, converted as
// ConvertToD88 converts one of them opened from its folder; nullopt when no
// file is a stream.
std::optional<ConvertedImage> ConvertKryofluxStreamsToD88(std::vector<NamedBytes> files);

// Whether the file starts with a D88 image header, the file's end aside.
bool IsPlausibleD88(ByteSource& source);
