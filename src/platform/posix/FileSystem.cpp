#include "platform/FileSystem.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <system_error>

namespace platform {
namespace {

// The folder that holds `path`: "/" for a top-level entry, "." for a bare name.
std::string ParentFolder(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

FileAttributes GetFileAttributes(const std::string& path) {
    FileAttributes attributes;
    struct stat status {};
    if (!path.empty() && stat(path.c_str(), &status) == 0) {
        attributes.exists = true;
        attributes.isDirectory = S_ISDIR(status.st_mode);
        return attributes;
    }
    // Only a missing last component counts as "file not found"; a path that
    // cannot be reached at all (a file used as a folder, no search right) can
    // never be created, so it is "path not found".
    const bool missing = !path.empty() && errno == ENOENT;
    attributes.error = missing && IsFolder(ParentFolder(path)) ? FileAttributes::Error::kFileNotFound
                                                               : FileAttributes::Error::kPathNotFound;
    return attributes;
}

std::optional<std::uint64_t> FreeBytesOfVolume(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    std::string existing = path;
    struct stat status {};
    while (stat(existing.c_str(), &status) != 0) {
        const std::string parent = ParentFolder(existing);
        if (parent == existing) {
            return std::nullopt;
        }
        existing = parent;
    }
    struct statvfs volume {};
    if (statvfs(existing.c_str(), &volume) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(volume.f_bfree) * volume.f_frsize;
}

bool CreateFolders(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return IsFolder(path);
}

bool RestrictWritesToOwner(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return false;
    return chmod(path.c_str(), status.st_mode & 07777 & ~(S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace platform

