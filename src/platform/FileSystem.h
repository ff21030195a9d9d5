#pragma once
// Stands for GetFileAttributes with its last error and GetDiskFreeSpaceEx.

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct FileAttributes {
    enum class Error { kNone, kFileNotFound, kPathNotFound };

    bool exists = false;
    bool isDirectory = false;
    // When the path does not exist: kFileNotFound if its parent folder exists,
    // kPathNotFound if the parent is missing too.
    Error error = Error::kNone;
};

FileAttributes GetFileAttributes(const std::string& path);

// Total free bytes (not the quota-limited share) of the volume that holds the
// path's nearest existing ancestor; nullopt when none can be queried.
std::optional<std::uint64_t> FreeBytesOfVolume(const std::string& path);

// Creates the folder and every missing parent; true when it exists afterwards.
bool CreateFolders(const std::string& path);

// Takes write permission from group and others, so nobody else can replace
// what the folder holds. False when the folder's mode cannot be changed.
bool RestrictWritesToOwner(const std::string& path);

}  // namespace platform
