// Fuzz target over the flux dumps and their decoder: any bytes, in memory,
// are opened as an SCP file, as an HFE file and as the KryoFlux stream of
// track 0, and each that opens is decoded, track by track, into one D88
// image.
//
// Whatever the bytes hold, the image is well formed (ImageCheck.h), no
// track holds more than a converted track may, and the decoder's report
// tells exactly what the image holds: each track's sectors, in order, with
// their IDs and data sizes, and no count of good reads above the reads nor
// of reads above two passes over the revolutions (a track with a sector
// read wrong in every revolution is read again through a gentler PLL).
#include <memory>
#include <vector>

#include "D88Layout.h"
#include "FuzzCheck.h"
#include "FuzzTarget.h"
#include "ImageCheck.h"
#include "LittleEndian.h"
#include "flux/FluxDecoder.h"
#include "flux/FluxFiles.h"

namespace {

void CheckSectorsReported(const FluxTrackReport& track, const std::vector<unsigned char>& image)
{
    const std::size_t entry =
        d88::TrackTableField + d88::TrackEntrySize * static_cast<std::size_t>(track.trackIndex);
    std::size_t sectorAt = DecodeLe32(&image[entry]);
    Require(track.sectors.empty() == (sectorAt == 0),
            "a track is in the image when it has sectors");
    for (const FluxSectorReport& sector : track.sectors) {
        Require(sector.goodReads <= sector.dataReads && sector.dataReads <= sector.idReads &&
                    sector.idReads <= 2 * track.revolutions,
                "no sector is read right more often than read, nor read more often than two "
                "passes over the revolutions read it");
        const unsigned char* header = &image[sectorAt];
        Require(header[d88::CylinderField] == sector.fields.c &&
                    header[d88::HeadField] == sector.fields.h &&
                    header[d88::RecordField] == sector.fields.r &&
                    header[d88::SizeCodeField] == sector.fields.n &&
                    header[d88::StatusField] == sector.fields.status &&
                    DecodeLe16(&header[d88::DataSizeField]) == sector.dataSize,
                "each sector of the image is the one reported, in the order reported");
        sectorAt += d88::SectorHeaderSize + sector.dataSize;
    }
}

void CheckDecoded(FluxSource& flux, std::size_t inputSize)
{
    const FluxDisk disk = DecodeFluxDisk(flux);
    CheckWellFormed(disk.image, inputSize, true);
    for (const FluxTrackReport& track : disk.report.tracks) {
        Require(track.trackIndex >= 0 && track.trackIndex < static_cast<int>(d88::TrackCount),
                "a reported track is one a D88 image holds");
        CheckSectorsReported(track, disk.image);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<unsigned char> bytes(data, data + size);
    MemoryByteSource source(bytes);
    const std::unique_ptr<FluxSource> dumps[] = {
        OpenScp(source), OpenHfe(source),
        OpenKryofluxStreams({NamedBytes{"track00.0.raw", std::move(bytes)}})};
    for (const std::unique_ptr<FluxSource>& dump : dumps) {
        if (dump != nullptr) {
            CheckDecoded(*dump, size);
        }
    }
    return 0;
}
