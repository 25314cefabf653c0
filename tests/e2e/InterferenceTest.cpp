// d88cut beside other processes: runs at once in one directory, and runs
// stopped by a signal while they write. Whatever happens, an output file is
// absent, the old file, or a complete new one, and no temporary file stays.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Console.h"
#include "Expectations.h"
#include "Messages.h"
#include "TitleDisks.h"
#include "ToolRun.h"

namespace {

namespace fs = std::filesystem;

// What a reader of the directory finds at `path` now; false when absent.
bool ReadIfPresent(const fs::path& path, Bytes& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    bytes.clear();
    unsigned char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    static_cast<void>(std::fclose(file));
    return true;
}

TEST(Interference, RunsAtOnceNeverShowABrokenFile)
{
    constexpr int Runs = 6;
    constexpr int Rounds = 25;
    // Two dumps of disk A with other bytes, taken in turn, so that every
    // run has a file to replace.
    const D88ImageBuilder diskA = MakeDiskA();
    const D88ImageBuilder otherA = WithOtherContents(diskA, 0x5A);
    const Bytes complete = DiskAFiles(diskA).at("BIOS98");
    const Bytes otherComplete = DiskAFiles(otherA).at("BIOS98");
    const Bytes old = {'o', 'l', 'd'};
    ToolSandbox sandbox;
    const std::string images[] = {sandbox.AddImage(diskA.Build()),
                                  sandbox.AddImage(otherA.Build(), "other.d88")};
    const fs::path output = fs::path(sandbox.WorkDir()) / "BIOS98";
    ASSERT_TRUE(WriteBytesToFile(output.string(), old));

    std::atomic<bool> running{true};
    std::atomic<int> broken{0};
    std::thread watcher([&] {
        Bytes seen;
        while (running) {
            if (ReadIfPresent(output, seen) && seen != old && seen != complete &&
                seen != otherComplete) {
                ++broken;
            }
        }
    });
    std::vector<std::thread> runs;
    runs.reserve(Runs);
    for (int run = 0; run < Runs; ++run) {
        runs.emplace_back([&, run] {
            RunOptions options;
            options.tag = "-" + std::to_string(run);
            for (int round = 0; round < Rounds; ++round) {
                // A rename that Windows refuses for a moment, while another
                // process holds or replaces the file, is tried again.
                ExpectRun(sandbox.Run({images[(run + round) % 2]}, options), DiskAOutput(), "", 0);
            }
        });
    }
    for (std::thread& run : runs) {
        run.join();
    }
    running = false;
    watcher.join();
    EXPECT_EQ(broken.load(), 0) << "times BIOS98 was seen neither old nor complete";
    Bytes last;
    ASSERT_TRUE(ReadIfPresent(output, last));
    EXPECT_TRUE(last == complete || last == otherComplete);
    ExpectDirectoryHolds(sandbox.WorkDir(), {{"BIOS98", last}});
}

// Whether `dir` holds anything but the files of `files`: a temporary file.
bool HoldsOthers(const std::string& dir, const FileSet& files)
{
    const fs::directory_iterator entries(dir);
    return std::any_of(fs::begin(entries), fs::end(entries), [&](const fs::directory_entry& entry) {
        return files.count(entry.path().filename().string()) == 0;
    });
}

// Starts the tool, pauses it (SIGSTOP) until it is caught with a temporary
// file open, and sends it `signal` there. Returns its wait status; `caught`
// tells whether it was stopped while writing before it ended by itself.
int RunStoppedWhileWriting(const ToolSandbox& sandbox, const std::string& image,
                           const FileSet& files, int signal, bool& caught)
{
    const std::string tool = ToolExecutable();
    // What the test printed so far must not be printed again by the child.
    static_cast<void>(std::fflush(stdout));
    const pid_t child = fork();
    if (child == 0) {
        const std::string quiet = "/dev/null";
        if (chdir(sandbox.WorkDir().c_str()) == 0 &&
            freopen(quiet.c_str(), "w", stdout) != nullptr &&
            freopen(quiet.c_str(), "w", stderr) != nullptr) {
            execl(tool.c_str(), tool.c_str(), image.c_str(), static_cast<char*>(nullptr));
        }
        _exit(127);
    }
    caught = false;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGSTOP);
        waitpid(child, &status, WUNTRACED);
        if (WIFSTOPPED(status) && HoldsOthers(sandbox.WorkDir(), files)) {
            caught = true;
            kill(child, signal);
        }
        kill(child, SIGCONT);
        if (caught) {
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    return status;
}

TEST(Interference, StoppedRunLeavesNoTemporaryFile)
{
    if (RunsThroughLauncher()) {
        GTEST_SKIP() << "the launcher does not pass POSIX signals on to the tool";
    }
    const D88ImageBuilder diskB = MakeDiskB();
    const FileSet files = DiskBFiles(diskB);
    // Sixteen copies of disk B, each with other bytes, so that none finds
    // its files already written: 256 files to write, time enough to stop it.
    std::vector<Bytes> copies;
    for (std::uint8_t copy = 1; copy <= 16; ++copy) {
        copies.push_back(WithOtherContents(diskB, copy).Build());
    }
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(Concat(copies));

    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        bool caught = false;
        for (int attempt = 0; attempt < 20 && !caught; ++attempt) {
            const int status = RunStoppedWhileWriting(sandbox, image, files, signal, caught);
            if (caught) {
                EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
            }
            EXPECT_FALSE(HoldsOthers(sandbox.WorkDir(), files));
        }
        EXPECT_TRUE(caught) << "never caught the tool while it wrote";
    }
}

}  // namespace
