#include "TemporaryFile.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <system_error>

#include "Interruption.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

namespace fs = std::filesystem;

// Names taken by others' files before one is free: with 62^6 suffixes, more
// than a few means something is wrong.
constexpr int CreateAttempts = 100;
// A refused rename is tried again for about two seconds.
constexpr int RenameAttempts = 100;

#ifdef _WIN32
using Native = void*;

Native CreateNew(const fs::path& path)
{
    // CREATE_NEW fails on any existing name, a link included, and follows
    // none. FILE_SHARE_DELETE lets an interruption remove the file while it
    // is open here.
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

bool WriteAll(Native handle, const unsigned char* data, std::size_t length)
{
    while (length > 0) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(length, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle, data, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        length -= written;
    }
    return true;
}

bool CloseNative(Native handle)
{
    return CloseHandle(handle) != 0;
}

bool RenameOver(const fs::path& source, const fs::path& target)
{
    return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

// A sharing violation, or access denied to a file that is not read-only:
// another process has the target open or is renaming over it.
bool RenameRefusedForAMoment(const fs::path& target)
{
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION) {
        return true;
    }
    const DWORD attributes = GetFileAttributesW(target.c_str());
    return error == ERROR_ACCESS_DENIED &&
           (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0);
}

void WaitBeforeRenaming()
{
    constexpr DWORD RenameWaitMs = 20;
    Sleep(RenameWaitMs);
}
#else
using Native = int;

Native CreateNew(const fs::path& path)
{
    // O_EXCL with O_CREAT fails on any existing name and never follows a
    // symbolic link; O_NOFOLLOW says so once more. Mode 0666 less the umask,
    // as fopen gives.
    return open(path.c_str(),  // NOLINT(*-vararg)
                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool WriteAll(Native descriptor, const unsigned char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = write(descriptor, data, length);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CloseNative(Native descriptor)
{
    return close(descriptor) == 0;
}

// rename(2) replaces the target atomically whoever has it open.
bool RenameOver(const fs::path& source, const fs::path& target)
{
    return std::rename(source.c_str(), target.c_str()) == 0;
}

bool RenameRefusedForAMoment(const fs::path& /*target*/)
{
    return false;
}

void WaitBeforeRenaming()
{
}
#endif

}  // namespace

TemporaryFile::NameSuffixes TemporaryFile::RandomSuffixes()
{
    return [engine = std::mt19937_64(std::random_device{}())]() mutable {
        static constexpr char Alphabet[] =
            "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        std::uniform_int_distribution<std::size_t> pick(0, sizeof Alphabet - 2);
        std::string suffix(6, '0');
        for (char& c : suffix) {
            c = Alphabet[pick(engine)];
        }
        return suffix;
    };
}

TemporaryFile::~TemporaryFile()
{
    Remove();
}

bool TemporaryFile::Create(const fs::path& target, const NameSuffixes& suffixes)
{
    Remove();
    target_ = target;
    for (int attempt = 0; attempt < CreateAttempts; ++attempt) {
        fs::path candidate = target;
        candidate += "." + suffixes();
        const InterruptionsHeld held;
        file_ = CreateNew(candidate);
        if (file_ != NoFile) {
            path_ = candidate;
            SetPendingTemporary(path_);
            return true;
        }
    }
    return false;
}

// NOLINTNEXTLINE(readability-make-member-function-const): it writes the file it owns.
bool TemporaryFile::Write(const unsigned char* data, std::size_t length)
{
    return file_ != NoFile && WriteAll(file_, data, length);
}

bool TemporaryFile::Close()
{
    if (file_ == NoFile) {
        return true;
    }
    const bool closed = CloseNative(file_);
    file_ = NoFile;
    return closed;
}

bool TemporaryFile::Commit()
{
    if (path_.empty() || !Close()) {
        Remove();
        return false;
    }
    for (int attempt = 1;; ++attempt) {
        {
            const InterruptionsHeld held;
            if (RenameOver(path_, target_)) {
                SetPendingTemporary({});
                path_.clear();
                return true;
            }
        }
        // Windows refuses for a moment while another process holds the
        // target open or is replacing it; a run stopped meanwhile still
        // removes its file.
        if (!RenameRefusedForAMoment(target_) || attempt == RenameAttempts) {
            break;
        }
        WaitBeforeRenaming();
    }
    Remove();
    return false;
}

void TemporaryFile::Remove()
{
    Close();
    if (path_.empty()) {
        return;
    }
    const InterruptionsHeld held;
    std::error_code error;
    fs::remove(path_, error);
    SetPendingTemporary({});
    path_.clear();
}
