#include "Checksums.h"

#ifdef D88INFO_NO_CHECKSUMS

// The web build has neither zlib nor a system hash: its page hashes the files
// itself, and the report leaves both checksums out.
std::uint32_t Crc32Of(const unsigned char* /*data*/, std::size_t /*size*/)
{
    return 0;
}

std::string Sha256HexOf(const unsigned char* /*data*/, std::size_t /*size*/)
{
    return {};
}

#else

#include <zlib.h>

#include <array>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
// bcrypt.h needs the types windows.h declares.
#include <bcrypt.h>
#else
#include <openssl/evp.h>
#endif

namespace {

constexpr std::size_t Sha256Bytes = 32;
using Sha256Digest = std::array<unsigned char, Sha256Bytes>;

std::string HexOf(const Sha256Digest& digest)
{
    std::string hex;
    for (const unsigned char value : digest) {
        char pair[3];
        static_cast<void>(std::snprintf(pair, sizeof pair, "%02x", value));
        hex += pair;
    }
    return hex;
}

#ifdef _WIN32

bool ComputeSha256(const unsigned char* data, std::size_t size, Sha256Digest& digest)
{
    // BCryptHashData takes a 32-bit length; files here are far smaller.
    if (size > 0xFFFFFFFFU) {
        return false;
    }
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(
            BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        return false;
    }
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool done = BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    // BCrypt does not write through its input pointer.
    done = done && BCRYPT_SUCCESS(
                       BCryptHashData(hash, const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0));
    done = done && BCRYPT_SUCCESS(BCryptFinishHash(hash, digest.data(), Sha256Bytes, 0));
    if (hash != nullptr) {
        BCryptDestroyHash(hash);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return done;
}

#else

bool ComputeSha256(const unsigned char* data, std::size_t size, Sha256Digest& digest)
{
    unsigned int length = 0;
    return EVP_Digest(data, size, digest.data(), &length, EVP_sha256(), nullptr) == 1 &&
           length == Sha256Bytes;
}

#endif

}  // namespace

std::uint32_t Crc32Of(const unsigned char* data, std::size_t size)
{
    return static_cast<std::uint32_t>(crc32_z(crc32_z(0, nullptr, 0), data, size));
}

std::string Sha256HexOf(const unsigned char* data, std::size_t size)
{
    Sha256Digest digest{};
    return ComputeSha256(data, size, digest) ? HexOf(digest) : std::string();
}

#endif  // D88INFO_NO_CHECKSUMS
