// Replays saved inputs through a fuzz target without libFuzzer, so any
// compiler builds it and ctest runs it: every file named on the command line,
// and every file in a folder named there (sorted by name), is passed to the
// target once. A failed check aborts the process.
//
//   <target>_replay [--optional] PATH...
//
// A path after --optional may be missing: it is then reported and skipped,
// and a run that replayed nothing at all exits with 77 (ctest's "skipped").
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzTarget.h"

namespace {

namespace fs = std::filesystem;

constexpr int SkippedStatus = 77;

std::vector<std::uint8_t> ReadInput(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file),
                                     std::istreambuf_iterator<char>());
}

std::vector<fs::path> InputsIn(const fs::path& path)
{
    if (!fs::is_directory(path)) {
        return {path};
    }
    std::vector<fs::path> inputs;
    for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
        if (entry.is_regular_file()) {
            inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

}  // namespace

int main(int argc, char* argv[])
{
    bool optional = false;
    bool skipped = false;
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--optional") == 0) {
            optional = true;
            continue;
        }
        const fs::path path = argv[i];
        std::error_code error;
        if (!fs::exists(path, error)) {
            std::printf("%s: missing%s\n", argv[i], optional ? ", skipped" : "");
            if (!optional) {
                return 1;
            }
            skipped = true;
            continue;
        }
        for (const fs::path& input : InputsIn(path)) {
            const std::vector<std::uint8_t> bytes = ReadInput(input);
            // Flushed first, so a crash shows which input caused it.
            std::printf("replaying %s (%zu bytes)\n", input.string().c_str(), bytes.size());
            static_cast<void>(std::fflush(stdout));
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::printf("%d inputs replayed without a failed check\n", replayed);
    return replayed == 0 && skipped ? SkippedStatus : 0;
}
