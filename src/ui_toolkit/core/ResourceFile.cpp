#include "ui_toolkit/core/ResourceFile.h"

#include <filesystem>
#include <fstream>

#include "platform/ExecutableResources.h"
#include "platform/Folders.h"
#include "ui_toolkit/core/ResourceSettings.h"
#include "ui_toolkit/zip/ZipArchive.h"

namespace {

bool Failed(const wchar_t* message, std::vector<std::uint8_t>* bytes, std::wstring* error) {
    bytes->clear();
    if (error != nullptr) *error = message;
    return false;
}

}  // namespace

bool ReadPlainFile(const std::string& path, std::size_t maxSize, std::vector<std::uint8_t>* bytes,
                   std::wstring* error) {
    // Only a regular file counts: a folder or a device is not a file to open.
    std::error_code status;
    if (!std::filesystem::is_regular_file(path, status)) return Failed(L"Error opening file", bytes, error);
    std::ifstream file(path, std::ios::binary);
    if (!file) return Failed(L"Error opening file", bytes, error);
    const std::uintmax_t size = std::filesystem::file_size(path, status);
    if (status) return Failed(L"Could not read file", bytes, error);
    if (size == 0) return Failed(L"File is empty", bytes, error);
    if (size > maxSize) return Failed(L"File too large", bytes, error);
    bytes->resize(static_cast<std::size_t>(size));
    if (!file.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(size))) {
        return Failed(L"Could not read file", bytes, error);
    }
    return true;
}

namespace {

bool ReadArchiveEntry(const ZipArchive& archive, std::wstring_view name, std::size_t maxSize,
                      std::vector<std::uint8_t>* bytes, std::wstring* error) {
    int index = -1;
    ZipEntry entry;
    if (archive.FindItem(std::wstring(name), true, &index, &entry) != ZipResult::kOk) {
        return Failed(L"Could not find ziped file", bytes, error);
    }
    if (entry.uncompressedSize == 0) return Failed(L"File is empty", bytes, error);
    if (entry.uncompressedSize > maxSize) return Failed(L"File too large", bytes, error);
    bytes->resize(entry.uncompressedSize);
    const ZipResult result = archive.UnzipItem(index, bytes->data(), bytes->size(), nullptr);
    if (result != ZipResult::kOk && result != ZipResult::kMoreData) {
        return Failed(L"Could not unzip file", bytes, error);
    }
    return true;
}

}  // namespace

bool ReadResourceFile(std::wstring_view name, std::vector<std::uint8_t>* bytes, std::wstring* error,
                      std::size_t maxSize) {
    if (error != nullptr) error->clear();
    const std::wstring& archiveName = ResourceSettings::GetResourceArchiveName();
    if (archiveName.empty()) return ReadPlainFile(ResourceSettings::GetResourcePath(name), maxSize, bytes, error);

    if (ResourceSettings::IsArchiveCached()) {
        const ZipArchive* cached = ResourceSettings::GetArchiveHandle();
        if (cached == nullptr) return Failed(L"Error opening zip file", bytes, error);
        return ReadArchiveEntry(*cached, name, maxSize, bytes, error);
    }
    // Opened for this read only; closed again when it goes out of scope.
    ZipArchive archive;
    if (archive.OpenFromFile(ResourceSettings::GetResourcePath(archiveName)) != ZipResult::kOk) {
        return Failed(L"Error opening zip file", bytes, error);
    }
    return ReadArchiveEntry(archive, name, maxSize, bytes, error);
}

bool ReadExecutableResource(int id, std::string_view type, std::vector<std::uint8_t>* bytes) {
    bytes->clear();
    const std::string& instance = ResourceSettings::GetInstance();
    if (instance.empty() || instance == platform::ModulePath()) {
        auto resource = platform::LoadModuleResource(type, id);
        if (!resource) return false;
        *bytes = std::move(*resource);
        return true;
    }
    // Another module's table is read afresh each time; only the running
    // program's table is kept.
    const auto table = platform::ReadResourceTable(instance);
    if (!table) return false;
    const platform::Resource* resource = platform::FindResource(*table, type, id);
    if (resource == nullptr) return false;
    *bytes = resource->bytes;
    return true;
}
