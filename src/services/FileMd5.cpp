#include "services/FileMd5.h"

#include <cstdio>
#include <memory>

#include <openssl/evp.h>

#include "platform/TextConversion.h"

std::string FileMd5(const std::wstring& filePath) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(platform::ToUtf8(filePath).c_str(), "rb"),
                                                               &std::fclose);
    if (!file) return {};
    const std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) return {};
    unsigned char block[4096];
    for (;;) {
        const std::size_t read = std::fread(block, 1, sizeof block, file.get());
        if (read > 0 && EVP_DigestUpdate(context.get(), block, read) != 1) return {};
        if (read < sizeof block) break;
    }
    // A read error is not the end of the file: its hash would be another's.
    if (std::ferror(file.get())) return {};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return {};
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text.push_back(kHex[digest[i] >> 4]);
        text.push_back(kHex[digest[i] & 0xF]);
    }
    return text;
}
