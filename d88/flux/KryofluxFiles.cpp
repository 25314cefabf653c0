// A KryoFlux dump: one stream file per track, named NAMEcc.h.raw for
// cylinder cc (00..83) and head h. Files on disk and files in memory are
// found by the same name rule and read by the same stream reader.
#include <system_error>

#include "FluxFiles.h"
#include "KryofluxStream.h"

namespace {

constexpr int Cylinders = 84;
constexpr int TrackCount = Cylinders * 2;
// "cc.h.raw"
constexpr std::size_t TailLength = 8;

template <typename Char>
bool IsDigit(Char character)
{
    return character >= '0' && character <= '9';
}

template <typename Char>
bool SameLetter(Char character, char lower)
{
    return character == lower || character == lower - 'a' + 'A';
}

// The track a name NAMEcc.h.raw stands for; -1 for another name.
template <typename String>
int TrackIndexOfName(const String& name)
{
    if (name.size() < TailLength) {
        return -1;
    }
    const auto* tail = name.data() + (name.size() - TailLength);
    const bool pattern = IsDigit(tail[0]) && IsDigit(tail[1]) && tail[2] == '.' &&
                         (tail[3] == '0' || tail[3] == '1') && tail[4] == '.' &&
                         SameLetter(tail[5], 'r') && SameLetter(tail[6], 'a') &&
                         SameLetter(tail[7], 'w');
    const int cylinder = (tail[0] - '0') * 10 + (tail[1] - '0');
    return pattern && cylinder < Cylinders ? cylinder * 2 + (tail[3] - '0') : -1;
}

// NAME, of a name NAMEcc.h.raw.
template <typename String>
String PrefixOf(const String& name)
{
    return name.substr(0, name.size() - TailLength);
}

// A name NAMEcc.h.raw with the cc and h of track `trackIndex`.
template <typename String>
String SiblingName(String name, int trackIndex)
{
    using Char = typename String::value_type;
    const std::size_t tail = name.size() - TailLength;
    const int cylinder = trackIndex / 2;
    name[tail] = static_cast<Char>('0' + cylinder / 10);
    name[tail + 1] = static_cast<Char>('0' + cylinder % 10);
    name[tail + 3] = static_cast<Char>('0' + trackIndex % 2);
    return name;
}

// The tracks of a dump, each read through the ByteSource its subclass opens.
class StreamSetSource : public FluxSource {
public:
    bool ReadTrack(int trackIndex, FluxTrack& track) override
    {
        ByteSource* source =
            trackIndex >= 0 && trackIndex < TrackLimit() ? Open(trackIndex) : nullptr;
        if (source == nullptr || !ReadKryofluxStream(*source, track)) {
            return false;
        }
        track.cylinder = trackIndex / 2;
        track.head = trackIndex % 2;
        return true;
    }

protected:
    // Null when the dump has no file for the track.
    virtual ByteSource* Open(int trackIndex) = 0;
};

class FileStreamSet final : public StreamSetSource {
public:
    explicit FileStreamSet(std::vector<std::filesystem::path> paths) : paths_(std::move(paths)) {}

    [[nodiscard]] int TrackLimit() const override { return static_cast<int>(paths_.size()); }

private:
    ByteSource* Open(int trackIndex) override
    {
        const std::filesystem::path& path = paths_[static_cast<std::size_t>(trackIndex)];
        open_ = path.empty() ? nullptr : OpenFileByteSource(path);
        return open_.get();
    }

    // Empty where the track has no file.
    std::vector<std::filesystem::path> paths_;
    std::unique_ptr<ByteSource> open_;
};

class MemoryStreamSet final : public StreamSetSource {
public:
    explicit MemoryStreamSet(std::vector<std::unique_ptr<ByteSource>> tracks)
        : tracks_(std::move(tracks))
    {
    }

    [[nodiscard]] int TrackLimit() const override { return static_cast<int>(tracks_.size()); }

private:
    ByteSource* Open(int trackIndex) override
    {
        return tracks_[static_cast<std::size_t>(trackIndex)].get();
    }

    std::vector<std::unique_ptr<ByteSource>> tracks_;
};

template <typename Entry>
void Place(std::vector<Entry>& tracks, int trackIndex, Entry entry)
{
    const auto index = static_cast<std::size_t>(trackIndex);
    if (index >= tracks.size()) {
        tracks.resize(index + 1);
    }
    if (!tracks[index]) {
        tracks[index] = std::move(entry);
    }
}

}  // namespace

std::unique_ptr<FluxSource> OpenKryofluxStream(const std::filesystem::path& path)
{
    const std::unique_ptr<ByteSource> first = OpenFileByteSource(path);
    if (!first || !IsKryofluxStream(*first)) {
        return nullptr;
    }
    // The native string: a name is never converted, so never fails to be.
    const std::filesystem::path::string_type name = path.filename().native();
    if (TrackIndexOfName(name) < 0) {
        return std::make_unique<FileStreamSet>(std::vector<std::filesystem::path>{path});
    }
    std::vector<std::filesystem::path> paths;
    for (int trackIndex = 0; trackIndex < TrackCount; ++trackIndex) {
        std::filesystem::path sibling = path.parent_path() / SiblingName(name, trackIndex);
        std::error_code error;
        if (std::filesystem::is_regular_file(sibling, error)) {
            paths.resize(static_cast<std::size_t>(trackIndex) + 1);
            paths.back() = std::move(sibling);
        }
    }
    return std::make_unique<FileStreamSet>(std::move(paths));
}

std::unique_ptr<FluxSource> OpenKryofluxStreams(std::vector<NamedBytes> files)
{
    std::vector<std::unique_ptr<ByteSource>> sources;
    std::size_t first = files.size();
    for (std::size_t k = 0; k < files.size(); ++k) {
        sources.push_back(std::make_unique<MemoryByteSource>(std::move(files[k].bytes)));
        if (first == files.size() && IsKryofluxStream(*sources.back())) {
            first = k;
        }
    }
    if (first == files.size()) {
        return nullptr;
    }
    const std::string& name = files[first].name;
    const int firstIndex = TrackIndexOfName(name);
    std::vector<std::unique_ptr<ByteSource>> tracks;
    if (firstIndex < 0) {
        tracks.push_back(std::move(sources[first]));
        return std::make_unique<MemoryStreamSet>(std::move(tracks));
    }
    Place(tracks, firstIndex, std::move(sources[first]));
    for (std::size_t k = 0; k < files.size(); ++k) {
        const int trackIndex = TrackIndexOfName(files[k].name);
        if (trackIndex >= 0 && sources[k] && PrefixOf(files[k].name) == PrefixOf(name)) {
            Place(tracks, trackIndex, std::move(sources[k]));
        }
    }
    return std::make_unique<MemoryStreamSet>(std::move(tracks));
}
