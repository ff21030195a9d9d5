#pragma once
// Stands for HKEY_LOCAL_MACHINE with RegCreateKeyExW, RegOpenKeyExW,
// RegQueryValueExW, RegSetValueExW and RegCloseKey.
//
// The store is a folder per key under $ZD_REGISTRY_DIR, else
// /var/lib/zelmora/registry as root, else $XDG_CONFIG_HOME/zelmora/registry
// (default ~/.config). Each value is a file "<name>.value" in its key's folder
// holding the type (4 bytes, little endian) and then the data bytes. A write
// goes to a temporary file that is flushed and renamed over the value, so a
// crash leaves the old value or the new one, never a torn one. Key and value
// names compare exactly (Windows ignores case); in file names every byte other
// than a letter, digit, '_', '-' or blank is written as %XX, so no name can
// leave its key's folder or pass for another key's.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Results as the Windows calls return them.
enum RegistryResult : long {
    kRegistrySuccess = 0,
    kRegistryFileNotFound = 2,  // no such key or value
    kRegistryAccessDenied = 5,
    kRegistryInvalidParameter = 87,
    kRegistryMoreData = 234,  // the value does not fit the buffer
};

enum RegistryValueType : std::uint32_t { kRegNone = 0, kRegSz = 1, kRegBinary = 3, kRegDword = 4 };

// KEY_WRITE may create keys and set values; KEY_ALL_ACCESS may also read them.
enum class RegistryAccess { kWrite, kAllAccess };
// The 32-bit and the 64-bit view; both reach the same store here.
enum class RegistryView { kDefault, k64Bit };

enum class RegistryDisposition { kCreatedNewKey, kOpenedExistingKey };

class RegistryKey {
public:
    // `subKey` is a path below HKEY_LOCAL_MACHINE with '\' between keys; every
    // missing key on the way is created. On success `key` holds the open key.
    static RegistryResult Create(std::wstring_view subKey, RegistryAccess access, RegistryView view,
                                 std::unique_ptr<RegistryKey>& key, RegistryDisposition& disposition);
    // Opens an existing key only.
    static RegistryResult Open(std::wstring_view subKey, RegistryAccess access, RegistryView view,
                               std::unique_ptr<RegistryKey>& key);

    // Closing needs no call: the key holds no open file.
    ~RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Copies the value's data into `buffer` (capacity `size`) and sets `size`
    // to the data's length; kRegistryMoreData (nothing copied, `size` set to
    // the length needed) when it does not fit.
    RegistryResult QueryValue(std::wstring_view name, RegistryValueType& type, void* buffer, std::size_t& size) const;
    RegistryResult SetValue(std::wstring_view name, RegistryValueType type, const void* data, std::size_t size);

private:
    RegistryKey(std::string folder, RegistryAccess access) : folder_(std::move(folder)), access_(access) {}

    std::string folder_;
    RegistryAccess access_;
};

// REG_SZ data is UTF-16LE as on Windows: the text's code units, no terminator.
std::string RegistryStringData(std::wstring_view text);
// The text up to the first NUL code unit or the end of the data; an odd last
// byte is dropped and unpaired surrogates become '?'.
std::wstring RegistryStringFromData(const void* data, std::size_t size);

}  // namespace platform
