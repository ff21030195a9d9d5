#include "ui_toolkit/core/ResourceSettings.h"

#include "platform/Folders.h"
#include "platform/TextConversion.h"
#include "ui_toolkit/zip/ZipArchive.h"

namespace {

struct Settings {
    std::string instance;
    std::wstring resourceFolder;
    std::wstring archiveName;
    bool cacheArchive = true;
    // Open exactly while a cached archive is in use.
    ZipArchive archive;
    // The caller's bytes while the archive is the in-memory one.
    const void* memoryBytes = nullptr;
    std::size_t memoryLength = 0;
};

Settings& TheSettings() {
    static Settings settings;
    return settings;
}

void CloseArchive(Settings& settings) {
    settings.archive.Close();
    settings.memoryBytes = nullptr;
    settings.memoryLength = 0;
}

}  // namespace

void ResourceSettings::SetInstance(const std::string& modulePath) {
    TheSettings().instance = modulePath;
}

const std::string& ResourceSettings::GetInstance() {
    return TheSettings().instance;
}

std::wstring ResourceSettings::GetInstanceFolder() {
    const std::string& instance = TheSettings().instance;
    if (instance.empty()) return platform::ToWide(platform::ModuleFolder());
    const std::size_t slash = instance.rfind('/');
    if (slash == std::string::npos) return std::wstring();
    return platform::ToWide(std::string_view(instance).substr(0, slash + 1));
}

void ResourceSettings::SetResourceFolder(std::wstring_view folder) {
    std::wstring& stored = TheSettings().resourceFolder;
    stored = folder;
    if (!stored.empty() && stored.back() != L'\\' && stored.back() != L'/') stored += L'/';
}

const std::wstring& ResourceSettings::GetResourceFolder() {
    return TheSettings().resourceFolder;
}

std::string ResourceSettings::GetResourcePath(std::wstring_view name) {
    std::wstring path = TheSettings().resourceFolder;
    path += name;
    for (wchar_t& c : path) {
        if (c == L'\\') c = L'/';
    }
    return platform::ToUtf8(path);
}

bool ResourceSettings::SetResourceArchiveMemory(const void* bytes, std::size_t length) {
    Settings& settings = TheSettings();
    if (settings.memoryBytes != nullptr && settings.memoryBytes == bytes && settings.memoryLength == length) {
        return true;
    }
    CloseArchive(settings);
    settings.archiveName = kMemoryArchiveName;
    settings.cacheArchive = true;
    if (settings.archive.OpenFromMemory(bytes, length) != ZipResult::kOk) return false;
    settings.memoryBytes = bytes;
    settings.memoryLength = length;
    return true;
}

bool ResourceSettings::SetResourceArchiveFile(std::wstring_view name, bool cache) {
    Settings& settings = TheSettings();
    const bool sameFile = settings.memoryBytes == nullptr && settings.archiveName == name &&
                          settings.cacheArchive == cache && (!cache || settings.archive.IsOpen());
    if (sameFile) return true;
    CloseArchive(settings);
    settings.archiveName = name;
    settings.cacheArchive = cache;
    if (!cache || name.empty()) return true;
    return settings.archive.OpenFromFile(GetResourcePath(settings.archiveName)) == ZipResult::kOk;
}

const std::wstring& ResourceSettings::GetResourceArchiveName() {
    return TheSettings().archiveName;
}

bool ResourceSettings::IsArchiveCached() {
    return TheSettings().cacheArchive;
}

const ZipArchive* ResourceSettings::GetArchiveHandle() {
    const Settings& settings = TheSettings();
    return settings.archive.IsOpen() ? &settings.archive : nullptr;
}
