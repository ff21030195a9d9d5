#pragma once
// The image table of one PaintManager, and the process-wide shared table.
// Both are keyed by the picture's name exactly as written. Lookups try the
// own table first, then the shared one. Adding a name that is already in a
// table replaces and frees the entry stored under it.
//
// Entries are handed out as borrowed pointers, valid until their table next
// changes; GetStamp tells when that may have happened. The tables belong to
// the UI thread.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "ui_toolkit/core/UiTypes.h"
#include "ui_toolkit/render/ImageEntry.h"

class ImageLibrary {
public:
    ImageLibrary();
    ~ImageLibrary();
    ImageLibrary(const ImageLibrary&) = delete;
    ImageLibrary& operator=(const ImageLibrary&) = delete;

    // Loads the picture (see LoadImageEntry) and stores it in this table, or
    // in the shared one with `shared`. Null, with the tables unchanged, when
    // the picture cannot be read or decoded.
    const ImageEntry* AddImage(std::wstring_view name, std::wstring_view resourceType = {}, ArgbColor mask = 0,
                               bool hsl = false, bool shared = false);
    // This table, then the shared one; null when neither holds `name`.
    const ImageEntry* GetImage(std::wstring_view name) const;
    // GetImage, else AddImage into this table: a name is decoded only once.
    const ImageEntry* GetImageEx(std::wstring_view name, std::wstring_view resourceType = {}, ArgbColor mask = 0,
                                 bool hsl = false);

    void RemoveAllImages();
    static void RemoveAllSharedImages();

    // Changes whenever an entry this library can hand out may have been
    // replaced or freed, in its own table or in the shared one: a pointer
    // obtained from this library stays valid while its stamp stays the same.
    // A library made later, even at the same address, never shows an earlier
    // library's stamp.
    std::uint64_t GetStamp() const;

private:
    using Table = std::map<std::wstring, std::unique_ptr<ImageEntry>, std::less<>>;

    static Table& SharedTable();

    Table m_images;
    std::uint64_t m_stamp;
};
