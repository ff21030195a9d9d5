#pragma once
// Process-wide settings that say where the toolkit reads its named files
// (markup, included markup, pictures) and executable resources from. Every
// PaintManager shares them.
//
// They are set at start-up on the UI thread, before a window exists, and are
// not synchronized: another thread may read through them only once they have
// stopped changing.

#include <cstddef>
#include <string>
#include <string_view>

class ZipArchive;

class ResourceSettings {
public:
    // The archive name that stands for an archive held in memory.
    static constexpr std::wstring_view kMemoryArchiveName = L"membuffer";

    ResourceSettings() = delete;

    // The module whose folder GetInstanceFolder gives and whose executable
    // resources are read, as a file path; empty (the default) is the running
    // program.
    static void SetInstance(const std::string& modulePath);
    static const std::string& GetInstance();

    // Folder of the instance module, ending in '/'; empty when unknown.
    static std::wstring GetInstanceFolder();

    // Empty, or a folder that names are read relative to. A folder that does
    // not end in '\' or '/' gets a '/' appended.
    static void SetResourceFolder(std::wstring_view folder);
    static const std::wstring& GetResourceFolder();

    // The file-system path of `name` under the resource folder, with every '\'
    // taken as '/' so that names written as img\bk.png resolve.
    static std::string GetResourcePath(std::wstring_view name);

    // Makes bytes[0, length) the resource archive, named kMemoryArchiveName,
    // opened now and kept open. Nothing is copied: the caller keeps the bytes
    // valid and unchanged for as long as they are the resource archive (the
    // window start-up keeps its copy for the process lifetime). Setting the
    // bytes that are already the archive does nothing. False when they are not
    // a readable archive; reads then fail with "Error opening zip file".
    static bool SetResourceArchiveMemory(const void* bytes, std::size_t length);

    // Makes the ZIP file `name`, relative to the resource folder, the resource
    // archive; an empty name goes back to loose files. With `cache` the file is
    // opened now, from the resource folder set at this moment, and kept open;
    // without it every read opens the file and closes it again. Setting the
    // archive that is already set and open does nothing. False when a cached
    // archive could not be opened; reads then fail with "Error opening zip file".
    static bool SetResourceArchiveFile(std::wstring_view name, bool cache = true);

    // Empty for loose files, kMemoryArchiveName, or the archive's file name.
    static const std::wstring& GetResourceArchiveName();

    // True at start; false only after SetResourceArchiveFile without caching.
    static bool IsArchiveCached();

    // The archive kept open while caching, or null when none is open. Changing
    // the resource archive closes it, which ends the pointer's validity.
    static const ZipArchive* GetArchiveHandle();
};
