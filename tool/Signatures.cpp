#include "Signatures.h"

// "@(rev)QuillMoraven PC-98"
static constexpr char DiskAText[] = "@(rev)QuillMoraven PC-98";

// "ＱＵＩＬＬ　ＭＯＲＡＶＥＮ" in Shift_JIS: full-width letters and an
// ideographic space.
static constexpr char DiskBText[] =
    "\x82\x70\x82\x74\x82\x68\x82\x6B\x82\x6B\x81\x40"
    "\x82\x6C\x82\x6E\x82\x71\x82\x60\x82\x75\x82\x64\x82\x6D";

const DiskSignature DiskASignature = {120, 60, 0, 1, 2, DiskAText, sizeof DiskAText - 1};
const DiskSignature DiskBSignature = {100, 50, 0, 2, 539, DiskBText, sizeof DiskBText - 1};
