// The tool's console messages, byte for byte.
//
// The Japanese texts are Shift_JIS, the code page of the Windows console the
// tool was made for, so they are kept as escaped bytes; each comment shows
// the text and what it means. Every message ends with a newline. The names
// ending in Format are printf formats.
#pragma once

// "Usage: %s [d88file] (DiskNo.)" (wrong argument count or disk number; %s is argv[0])
inline constexpr char UsageFormat[] = "Usage: %s [d88file] (DiskNo.)\n";

// "ファイルをオープンできません." (cannot open the file)
inline constexpr char CannotOpenFileMessage[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0"
    "\x83\x49\x81\x5B\x83\x76\x83\x93\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1.\n";

// "Disk %s を認識しました." (the disk is recognised; %s is its letter, A or B)
inline constexpr char RecognisedFormat[] =
    "Disk %s \x82\xF0\x94\x46\x8E\xAF\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n";

// "未対応の形式です." (unsupported format)
inline constexpr char UnsupportedImageMessage[] =
    "\x96\xA2\x91\xCE\x89\x9E\x82\xCC\x8C\x60\x8E\xAE\x82\xC5\x82\xB7.\n";

// "cutting ... %s" (before an output file is written; %s is its name)
inline constexpr char CuttingFormat[] = "cutting ... %s\n";

// "%s: セクタを読み込めません." (cannot read the sectors: the region's first sector is missing)
inline constexpr char CannotReadSectorsFormat[] =
    "%s: \x83\x5A\x83\x4E\x83\x5E\x82\xF0"
    "\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1.\n";

// "%s: 一部のセクタを読み込めません (%d / %d バイト)." (some sectors cannot be read;
// the numbers are the bytes read and the region length)
inline constexpr char PartlyReadFormat[] =
    "%s: \x88\xEA\x95\x94\x82\xCC\x83\x5A\x83\x4E\x83\x5E\x82\xF0"
    "\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1"
    " (%d / %d \x83\x6F\x83\x43\x83\x67).\n";

// "%s: 既存のファイルを残しました." (the existing file was kept: the region was read only
// in part, and a file of its name was already there)
inline constexpr char KeptExistingFileFormat[] =
    "%s: \x8A\xF9\x91\xB6\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0"
    "\x8E\x63\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n";

// "65 番目以降のイメージは処理しません." (images from the 65th on are not processed)
inline constexpr char ImagesPastLimitMessage[] =
    "65 \x94\xD4\x96\xDA\x88\xC8\x8D\x7E\x82\xCC\x83\x43\x83\x81\x81\x5B\x83\x57\x82\xCD"
    "\x8F\x88\x97\x9D\x82\xB5\x82\xDC\x82\xB9\x82\xF1.\n";

// "%s: ファイルを書き込めません." (cannot write the file)
inline constexpr char CannotWriteFileFormat[] =
    "%s: \x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0"
    "\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1.\n";

// "%s: 読み込みエラーが記録されたセクタを含みます." (the region holds sectors the image
// records as read with an error)
inline constexpr char RecordedReadErrorFormat[] =
    "%s: \x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x83\x47\x83\x89\x81\x5B\x82\xAA"
    "\x8B\x4C\x98\x5E\x82\xB3\x82\xEA\x82\xBD\x83\x5A\x83\x4E\x83\x5E\x82\xF0"
    "\x8A\xDC\x82\xDD\x82\xDC\x82\xB7.\n";
