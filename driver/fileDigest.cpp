#include "driver/fileDigest.h"

#include <openssl/evp.h>

#include <array>
#include <fstream>
#include <memory>

namespace kesp {

namespace {

constexpr std::size_t readBlockBytes = 65536;

struct DigestContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

std::string hexDigits(const unsigned char* bytes, unsigned int count)
{
    constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4U];
        text += digits[bytes[i] & 0x0FU];
    }
    return text;
}

}  // namespace

std::optional<std::string> fileSha256(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    const std::unique_ptr<EVP_MD_CTX, DigestContextDeleter> context(EVP_MD_CTX_new());
    if (!in || !context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
        return std::nullopt;
    }
    std::array<char, readBlockBytes> block{};
    while (in) {
        in.read(block.data(), block.size());
        const auto count = static_cast<std::size_t>(in.gcount());
        if (count > 0 && EVP_DigestUpdate(context.get(), block.data(), count) != 1) {
            return std::nullopt;
        }
    }
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (in.bad() || EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1) {
        return std::nullopt;
    }
    return hexDigits(digest.data(), length);
}

}  // namespace kesp
