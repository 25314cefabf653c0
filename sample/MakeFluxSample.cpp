// Writes the title's synthetic disk A or B as the flux dumps a sampler makes
// of a whole 2HD disk, so that the flux readers can be tried and timed
// without a drive: an SCP file with every revolution, an HFE file (which
// holds one) and a folder of KryoFlux streams, for each disk asked for.
//
//   make_flux_sample [--disk A|B|AB] [--revolutions N] [--rpm 300-360]
//                    [--jitter NS] [--drift FRACTION] <folder>
//
// In <folder> (made if absent): disk-b.scp, disk-b.hfe and
// disk-b-kryoflux/track00.0.raw ... track76.1.raw, and the same for disk A.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "FluxFileWriters.h"
#include "FluxSynthesiser.h"
#include "TitleDisks.h"

namespace {

namespace fs = std::filesystem;

struct Options {
    std::string disks = "B";
    FluxSynthesis synthesis;
    std::string folder;
};

// The number in `text`, when all of it is one within [low, high].
bool ParseNumber(const char* text, double low, double high, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= low && value <= high;
}

bool ParseOptions(int argc, char* argv[], Options& options)
{
    options.synthesis.revolutions = 5;
    int arg = 1;
    for (; arg + 1 < argc && std::strncmp(argv[arg], "--", 2) == 0; arg += 2) {
        const std::string name = argv[arg];
        const char* text = argv[arg + 1];
        double value = 0;
        if (name == "--disk") {
            options.disks = text;
            if (options.disks != "A" && options.disks != "B" && options.disks != "AB") {
                return false;
            }
        } else if (name == "--revolutions" && ParseNumber(text, 1, 50, value)) {
            options.synthesis.revolutions = static_cast<int>(value);
        } else if (name == "--rpm" && ParseNumber(text, 300, 360, value)) {
            // The cells are written at 360 rpm: a slower drive sees them longer.
            options.synthesis.cellNs = 1000 * 360 / value;
        } else if (name == "--jitter" && ParseNumber(text, 0, 500, value)) {
            options.synthesis.jitterNs = value;
        } else if (name == "--drift" && ParseNumber(text, 0, 0.1, value)) {
            options.synthesis.drift = value;
        } else {
            return false;
        }
    }
    if (arg + 1 != argc) {
        return false;
    }
    options.folder = argv[arg];
    return true;
}

bool WriteDisk(const D88ImageBuilder& disk, const std::string& name, const Options& options)
{
    const std::vector<FluxTrack> tracks = SynthesiseDisk(disk, options.synthesis);
    const fs::path folder(options.folder);
    const fs::path streams = folder / (name + "-kryoflux");
    std::error_code error;
    fs::create_directories(streams, error);
    // HFE holds cells, not time: its bit rate is the one the drive sees.
    const auto bitRateKbps = static_cast<unsigned>(std::lround(500'000 / options.synthesis.cellNs));
    return !error && WriteBytesToFile((folder / (name + ".scp")).string(), WriteScp(tracks)) &&
           WriteBytesToFile((folder / (name + ".hfe")).string(),
                            WriteHfe(tracks, 1, bitRateKbps)) &&
           WriteKryofluxFolder(tracks, streams);
}

}  // namespace

int main(int argc, char* argv[])
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "Usage: %s [--disk A|B|AB] [--revolutions 1-50] [--rpm 300-360]\n"
                     "       [--jitter NS] [--drift FRACTION] <folder>\n",
                     argc > 0 ? argv[0] : "make_flux_sample");
        return 1;
    }
    for (const char disk : options.disks) {
        const bool diskA = disk == 'A';
        const std::string name = diskA ? "disk-a" : "disk-b";
        if (!WriteDisk(diskA ? MakeDiskA() : MakeDiskB(), name, options)) {
            std::fprintf(stderr, "%s: cannot write %s\n", options.folder.c_str(), name.c_str());
            return 1;
        }
    }
    return 0;
}
