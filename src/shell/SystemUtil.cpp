#include "shell/SystemUtil.h"

#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/SystemInfo.h"
#include "platform/TextConversion.h"
#include "platform/VersionInfo.h"
#include "shell/StringUtil.h"

#include <cstdio>

std::wstring GetProgramFilesDir() {
    std::wstring folder = platform::ToWide(platform::ProgramFilesFolder());
    if (folder.empty() || folder.back() != L'/') folder += L'/';
    return folder;
}

std::wstring GetWorkDir() {
    return GetProgramFilesDir() + L"zelmora_down/" + FileBaseName(FileNameOfPath(GetModulePath())) + L"/";
}

std::wstring GetModulePath() {
    return platform::ToWide(platform::ModulePath());
}

std::wstring GetInstanceFolder() {
    std::wstring folder = platform::ToWide(platform::ModuleFolder());
    if (!folder.empty() && folder.back() != L'/') folder += L'/';
    return folder;
}

bool FileExists(const std::wstring& path) {
    FILE* file = std::fopen(platform::ToUtf8(path).c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

std::wstring GetFileVersionString(const std::wstring& path) {
    const auto info = platform::ReadVersionInfo(platform::ToUtf8(path));
    if (!info || !info->fixedFileVersion || !platform::QueryVersionValue(*info, "\\VarFileInfo\\Translation")) {
        return std::wstring();
    }
    const auto& version = *info->fixedFileVersion;
    wchar_t text[32];
    std::swprintf(text, 32, L"%d.%d.%d.%d", version[0], version[1], version[2], version[3]);
    return text;
}

std::wstring GetFileDescription(const std::wstring& path) {
    const auto info = platform::ReadVersionInfo(platform::ToUtf8(path));
    if (!info) return std::wstring();
    const auto description = platform::QueryVersionValue(*info, "\\StringFileInfo\\040904b0\\FileDescription");
    return description ? platform::ToWide(*description) : std::wstring();
}

bool GetFreeSize(const std::wstring& path, std::uint32_t* freeMiB) {
    const auto bytes = platform::FreeBytesOfVolume(platform::ToUtf8(path));
    if (!bytes) return false;
    *freeMiB = static_cast<std::uint32_t>(*bytes >> 20);
    return true;
}

std::wstring GetWindowsProductName() {
    return platform::ToWide(platform::OsProductName());
}

bool Is64BitSystem() {
    return platform::Is64BitMachine();
}

std::wstring GetUiLanguageCode() {
    return std::to_wstring(platform::UserUiLanguageId());
}
