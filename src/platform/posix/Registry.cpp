#include "platform/Registry.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "platform/Folders.h"
#include "platform/TextConversion.h"

namespace platform {
namespace {

constexpr char kValueSuffix[] = ".value";
constexpr std::size_t kTypeBytes = 4;

std::string StoreFolder() {
    const char* configured = std::getenv("ZD_REGISTRY_DIR");
    if (configured && *configured) return configured;
    if (geteuid() == 0) return "/var/lib/zelmora/registry";
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (config && config[0] == '/') return std::string(config) + "/zelmora/registry";
    const std::string home = HomeFolder();
    return home.empty() ? "" : home + "/.config/zelmora/registry";
}

bool IsPlainNameByte(unsigned char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
           byte == '_' || byte == '-' || byte == ' ';
}

// The UTF-8 bytes of a name with every other byte as %XX; never contains '.'
// or '/', so it is neither "." nor ".." nor a value file's name.
std::string FileName(std::wstring_view name) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char character : ToUtf8(name)) {
        const auto byte = static_cast<unsigned char>(character);
        if (IsPlainNameByte(byte)) {
            encoded.push_back(character);
        } else {
            encoded += {'%', kHex[byte >> 4], kHex[byte & 0xF]};
        }
    }
    return encoded;
}

// The folders of the path's keys, from the store's root down; false for a
// path with an empty key name.
bool KeyFolders(std::wstring_view subKey, std::vector<std::string>& folders) {
    std::string folder = StoreFolder();
    if (folder.empty()) return false;
    folders.push_back(folder);
    for (;;) {
        const std::size_t separator = subKey.find(L'\\');
        const std::wstring_view name = subKey.substr(0, separator);
        if (name.empty()) return false;
        folder += "/" + FileName(name);
        folders.push_back(folder);
        if (separator == std::wstring_view::npos) return true;
        subKey.remove_prefix(separator + 1);
    }
}

bool IsFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

RegistryResult ResultOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return kRegistryFileNotFound;
        default:
            return kRegistryAccessDenied;
    }
}

// What the access needs of the key's folder: search and write, and for
// KEY_ALL_ACCESS also read.
RegistryResult CheckAccess(const std::string& folder, RegistryAccess access) {
    const int mode = access == RegistryAccess::kAllAccess ? R_OK | W_OK | X_OK : W_OK | X_OK;
    return ::access(folder.c_str(), mode) == 0 ? kRegistrySuccess : kRegistryAccessDenied;
}

bool WriteAll(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// 0 or the errno of the failed call.
int ReadAll(const std::string& path, std::string& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    char block[4096];
    int error = 0;
    for (;;) {
        const ssize_t read = ::read(fd, block, sizeof block);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) error = errno;
        if (read <= 0) break;
        bytes.append(block, static_cast<std::size_t>(read));
    }
    close(fd);
    return error;
}

}  // namespace

RegistryResult RegistryKey::Create(std::wstring_view subKey, RegistryAccess access, RegistryView,
                                   std::unique_ptr<RegistryKey>& key, RegistryDisposition& disposition) {
    std::vector<std::string> folders;
    if (!KeyFolders(subKey, folders)) return kRegistryInvalidParameter;
    // The store's own folder may lie below folders nobody has made yet.
    std::error_code ignored;
    std::filesystem::create_directories(folders.front(), ignored);
    bool created = false;
    for (const std::string& folder : folders) {
        created = mkdir(folder.c_str(), 0755) == 0;
        if (created) continue;
        const int error = errno;
        if (error != EEXIST) return ResultOf(error);
        if (!IsFolder(folder)) return kRegistryFileNotFound;
    }
    const RegistryResult allowed = CheckAccess(folders.back(), access);
    if (allowed != kRegistrySuccess) return allowed;
    disposition = created ? RegistryDisposition::kCreatedNewKey : RegistryDisposition::kOpenedExistingKey;
    key.reset(new RegistryKey(folders.back(), access));
    return kRegistrySuccess;
}

RegistryResult RegistryKey::Open(std::wstring_view subKey, RegistryAccess access, RegistryView,
                                 std::unique_ptr<RegistryKey>& key) {
    std::vector<std::string> folders;
    if (!KeyFolders(subKey, folders)) return kRegistryInvalidParameter;
    struct stat status {};
    if (stat(folders.back().c_str(), &status) != 0) return ResultOf(errno);
    if (!S_ISDIR(status.st_mode)) return kRegistryFileNotFound;
    const RegistryResult allowed = CheckAccess(folders.back(), access);
    if (allowed != kRegistrySuccess) return allowed;
    key.reset(new RegistryKey(folders.back(), access));
    return kRegistrySuccess;
}

RegistryResult RegistryKey::QueryValue(std::wstring_view name, RegistryValueType& type, void* buffer,
                                       std::size_t& size) const {
    if (access_ != RegistryAccess::kAllAccess) return kRegistryAccessDenied;
    std::string bytes;
    const int error = ReadAll(folder_ + "/" + FileName(name) + kValueSuffix, bytes);
    if (error != 0) return ResultOf(error);
    // A file too short for its type was not written by SetValue.
    if (bytes.size() < kTypeBytes) return kRegistryFileNotFound;
    std::uint32_t storedType = 0;
    for (std::size_t i = 0; i < kTypeBytes; ++i) {
        storedType |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    const std::size_t length = bytes.size() - kTypeBytes;
    type = static_cast<RegistryValueType>(storedType);
    if (length > size) {
        size = length;
        return kRegistryMoreData;
    }
    if (length > 0) std::memcpy(buffer, bytes.data() + kTypeBytes, length);
    size = length;
    return kRegistrySuccess;
}

RegistryResult RegistryKey::SetValue(std::wstring_view name, RegistryValueType type, const void* data,
                                     std::size_t size) {
    std::string bytes(kTypeBytes, '\0');
    for (std::size_t i = 0; i < kTypeBytes; ++i) bytes[i] = static_cast<char>((type >> (8 * i)) & 0xFF);
    if (size > 0) bytes.append(static_cast<const char*>(data), size);

    std::string temporary = folder_ + "/.tmp-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return ResultOf(errno);
    bool written = fchmod(fd, 0644) == 0 && WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
    if (close(fd) != 0) written = false;
    const std::string path = folder_ + "/" + FileName(name) + kValueSuffix;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return ResultOf(error);
    }
    // The rename itself must reach the disk before the write counts as done.
    const int folderFd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        fsync(folderFd);
        close(folderFd);
    }
    return kRegistrySuccess;
}

std::string RegistryStringData(std::wstring_view text) {
    std::string data;
    const auto put = [&data](std::uint32_t unit) {
        data.push_back(static_cast<char>(unit & 0xFF));
        data.push_back(static_cast<char>(unit >> 8));
    };
    for (const wchar_t character : text) {
        const auto value = static_cast<std::uint32_t>(character);
        if (value >= 0x10000 && value <= 0x10FFFF) {
            put(0xD800 + ((value - 0x10000) >> 10));
            put(0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            put(value > 0x10FFFF ? '?' : value);
        }
    }
    return data;
}

std::wstring RegistryStringFromData(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::wstring text;
    const std::size_t units = size / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t unit = bytes[2 * i] | (bytes[2 * i + 1] << 8);
        if (unit == 0) break;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const std::uint32_t low = bytes[2 * i + 2] | (bytes[2 * i + 3] << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                ++i;
                continue;
            }
        }
        text.push_back(unit >= 0xD800 && unit <= 0xDFFF ? L'?' : static_cast<wchar_t>(unit));
    }
    return text;
}

}  // namespace platform
