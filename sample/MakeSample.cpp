// Writes the sample D88 file: a synthetic disk A followed by a synthetic
// disk B of the title, with the signatures at their places and labelled,
// deterministic bytes in every sector. For the benchmark it also writes disk
// B behind one long track of 66,000 sector headers, all of one ID or each of
// its own.
//
//   make_sample <output.d88>
//   make_sample long-track|long-track-ids <output.d88>
#include <cstdio>
#include <cstring>

#include "TitleDisks.h"

int main(int argc, char* argv[])
{
    const char* name = argc > 0 ? argv[0] : "make_sample";
    const char* kind = argc == 3 ? argv[1] : "sample";
    Bytes file;
    if (std::strcmp(kind, "sample") == 0) {
        file = Concat({MakeDiskA().Build(), MakeDiskB().Build()});
    } else if (std::strcmp(kind, "long-track") == 0) {
        file = MakeLongTrack(LongTrackIds::Same);
    } else if (std::strcmp(kind, "long-track-ids") == 0) {
        file = MakeLongTrack(LongTrackIds::Distinct);
    }
    if ((argc != 2 && argc != 3) || file.empty()) {
        std::fprintf(stderr, "Usage: %s [sample|long-track|long-track-ids] <output.d88>\n", name);
        return 1;
    }
    const char* output = argv[argc - 1];
    if (!WriteBytesToFile(output, file)) {
        std::fprintf(stderr, "%s: cannot write the file\n", output);
        return 1;
    }
    return 0;
}
