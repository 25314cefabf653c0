// The title's disks as dumped in every format the reader knows: each gives
// exactly what its D88 form gives, console bytes, exit status and files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Expectations.h"
#include "FluxFileWriters.h"
#include "FluxSynthesiser.h"
#include "FormatImageBuilders.h"
#include "TitleDisks.h"
#include "ToolRun.h"

namespace {

TEST(Formats, EveryFormatGivesWhatItsD88FormGives)
{
    const D88ImageBuilder diskA = MakeDiskA();
    const D88ImageBuilder diskB = MakeDiskB();
    const struct {
        const char* what;
        const D88ImageBuilder& disk;
        std::string out;
        FileSet files;
    } disks[] = {
        {"disk A", diskA, DiskAOutput(), DiskAFiles(diskA)},
        {"disk B", diskB, DiskBOutput(), DiskBFiles(diskB)},
    };
    const ImageFormat formats[] = {ImageFormat::D88,   ImageFormat::Hdm,   ImageFormat::Fdi,
                                   ImageFormat::NfdR0, ImageFormat::NfdR1, ImageFormat::Dcp,
                                   ImageFormat::Dim,   ImageFormat::Fdd,   ImageFormat::Imd,
                                   ImageFormat::Td0,   ImageFormat::Scp,   ImageFormat::Hfe};
    for (const auto& disk : disks) {
        for (const ImageFormat format : formats) {
            SCOPED_TRACE(std::string(disk.what) + " as " + ImageFormatName(format));
            ToolSandbox sandbox;
            const Bytes file =
                format == ImageFormat::D88 ? disk.disk.Build() : BuildInFormat(format, disk.disk);
            ExpectRun(sandbox.Run({sandbox.AddImage(file, "disk.img")}), disk.out, "", 0);
            ExpectDirectoryHolds(sandbox.WorkDir(), disk.files);
        }
    }
}

// A KryoFlux dump is a folder of stream files, one a track: d88cut is given
// any one of them and reads its siblings.
TEST(Formats, KryofluxStreamsGiveWhatTheD88FormGives)
{
    const D88ImageBuilder diskB = MakeDiskB();
    ToolSandbox sandbox;
    const std::string folder = sandbox.WorkDir() + "/../dump";
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    ASSERT_TRUE(WriteKryofluxFolder(SynthesiseDisk(diskB), folder, "track"));
    ExpectRun(sandbox.Run({"../dump/track00.0.raw"}), DiskBOutput(), "", 0);
    ExpectDirectoryHolds(sandbox.WorkDir(), DiskBFiles(diskB));
}

}  // namespace
