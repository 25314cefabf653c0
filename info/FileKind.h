// Files that hold no disk image d88cut reads, told apart before their
// images are reported: the archives and compressed files dumps are passed
// around in, by their magic, and every other file whose bytes fit no image
// format and hold neither of the title's disks.
#pragma once

#include <filesystem>
#include <memory>

#include "ByteSource.h"
#include "ImageFacts.h"

struct NotAnImage {
    // What the file is: "ZIP archive", ..., or "not a disk image".
    const char* kind;
    // The same name for an archive or a compressed file; null for others.
    const char* container;
    // What to do about it, or why it is no image.
    const char* reason;
};

// Reads the file: every image in it, or what it is instead. `path`, when
// given, is where it was opened (a KryoFlux dump's other tracks lie beside it).
FileFacts ExamineFile(std::unique_ptr<ByteSource> source,
                      const std::filesystem::path* path = nullptr);
// The same for a file already converted: a KryoFlux dump's track files
// given together.
FileFacts ExamineFile(ConvertedImage image);
// The same for the bytes of `source` already opened as `file` (and perhaps
// read since), so that a program that has cut them reads them only once.
FileFacts ExamineOpenedFile(ByteSource& source, D88File& file);
