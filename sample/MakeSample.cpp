// Writes the sample D88 file: a synthetic disk A followed by a synthetic
// disk B of the title, with the signatures at their places and labelled,
// deterministic bytes in every sector.
//
//   make_sample <output.d88>
#include <cstdio>

#include "TitleDisks.h"

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s <output.d88>\n", argc > 0 ? argv[0] : "make_sample");
        return 1;
    }
    if (!WriteBytesToFile(argv[1], Concat({MakeDiskA().Build(), MakeDiskB().Build()}))) {
        std::fprintf(stderr, "%s: cannot write the sample\n", argv[1]);
        return 1;
    }
    return 0;
}
