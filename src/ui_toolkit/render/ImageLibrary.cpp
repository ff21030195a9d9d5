#include "ui_toolkit/render/ImageLibrary.h"

#include <algorithm>

#include "ui_toolkit/render/ImageLoader.h"

namespace {

// One counter for every table, so that no two changes, in whichever table,
// ever get the same stamp.
std::uint64_t NextStamp() {
    static std::uint64_t counter = 0;
    return ++counter;
}

std::uint64_t& SharedStamp() {
    static std::uint64_t stamp = NextStamp();
    return stamp;
}

}  // namespace

ImageLibrary::ImageLibrary() : m_stamp(NextStamp()) {}

ImageLibrary::~ImageLibrary() = default;

ImageLibrary::Table& ImageLibrary::SharedTable() {
    static Table table;
    return table;
}

const ImageEntry* ImageLibrary::AddImage(std::wstring_view name, std::wstring_view resourceType, ArgbColor mask,
                                         bool hsl, bool shared) {
    std::unique_ptr<ImageEntry> entry = LoadImageEntry(name, resourceType, mask, hsl);
    if (entry == nullptr) return nullptr;
    Table& table = shared ? SharedTable() : m_images;
    std::unique_ptr<ImageEntry>& slot = table[std::wstring(name)];
    if (slot != nullptr) (shared ? SharedStamp() : m_stamp) = NextStamp();
    slot = std::move(entry);
    return slot.get();
}

const ImageEntry* ImageLibrary::GetImage(std::wstring_view name) const {
    if (auto own = m_images.find(name); own != m_images.end()) return own->second.get();
    const Table& shared = SharedTable();
    if (auto found = shared.find(name); found != shared.end()) return found->second.get();
    return nullptr;
}

const ImageEntry* ImageLibrary::GetImageEx(std::wstring_view name, std::wstring_view resourceType, ArgbColor mask,
                                           bool hsl) {
    if (const ImageEntry* found = GetImage(name)) return found;
    return AddImage(name, resourceType, mask, hsl, false);
}

void ImageLibrary::RemoveAllImages() {
    if (m_images.empty()) return;
    m_images.clear();
    m_stamp = NextStamp();
}

void ImageLibrary::RemoveAllSharedImages() {
    Table& shared = SharedTable();
    if (shared.empty()) return;
    shared.clear();
    SharedStamp() = NextStamp();
}

std::uint64_t ImageLibrary::GetStamp() const {
    return std::max(m_stamp, SharedStamp());
}
