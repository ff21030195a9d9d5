#include "installer/ArchiveExtraction.h"

#include "platform/FileSystem.h"
#include "platform/TextConversion.h"
#include "ui_toolkit/zip/ZipArchive.h"

#include <cstdio>
#include <vector>

namespace {

// Far above anything the installer ships; an entry claiming more is skipped
// rather than allowed to exhaust memory.
constexpr std::uint32_t kMaxEntrySize = 64u * 1024 * 1024;

bool IsDirectory(const std::string& path) {
    const platform::FileAttributes attributes = platform::GetFileAttributes(path);
    return attributes.exists && attributes.isDirectory;
}

std::string ParentFolder(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

bool IsSafeEntryName(const std::wstring& name) {
    if (name.empty() || name[0] == L'/' || name[0] == L'\\') return false;
    if (name.size() >= 2 && name[1] == L':') return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of(L"/\\", start);
        if (end == std::wstring::npos) end = name.size();
        if (name.compare(start, end - start, L"..") == 0) return false;
        start = end + 1;
    }
    return true;
}

int ExtractArchiveToFolder(const std::uint8_t* bytes, std::size_t length, const std::wstring& folder) {
    const std::string root = platform::ToUtf8(folder);
    platform::CreateFolders(root);
    if (!IsDirectory(root)) platform::CreateFolders(root);

    ZipArchive archive;
    if (archive.OpenFromMemory(bytes, length) != ZipResult::kOk) return -1;
    ZipEntry count;
    archive.GetItem(-1, &count);

    int unpacked = 0;
    for (int index = 0; index < count.index; ++index) {
        ZipEntry entry;
        if (archive.GetItem(index, &entry) != ZipResult::kOk || !IsSafeEntryName(entry.name)) continue;
        std::wstring name = entry.name;
        for (wchar_t& c : name) {
            if (c == L'\\') c = L'/';
        }
        const std::string path = root + platform::ToUtf8(name);
        if (entry.uncompressedSize == 0) {
            if (IsDirectory(path) || platform::CreateFolders(path)) ++unpacked;
            continue;
        }
        if (entry.uncompressedSize > kMaxEntrySize) continue;
        std::vector<std::uint8_t> content(entry.uncompressedSize);
        if (archive.UnzipItem(index, content.data(), content.size(), nullptr) != ZipResult::kOk) continue;
        platform::CreateFolders(ParentFolder(path));
        if (WriteWholeFile(path, content)) ++unpacked;
    }
    archive.Close();
    return unpacked;
}
