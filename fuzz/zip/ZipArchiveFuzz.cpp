// Opens the input as an archive from memory, lists every entry, looks each one
// up by its listed name and unzips it into a buffer of its size and one of
// half its size. Checks the results the reader promises on any input.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/TextConversion.h"
#include "ui_toolkit/zip/ZipArchive.h"

namespace {

// Declared sizes come from the input; a buffer is never made larger than this.
constexpr std::size_t kMaxBuffer = 1 << 20;

void Check(bool condition) {
    if (!condition) std::abort();
}

void UnzipInto(const ZipArchive& archive, int index, std::size_t capacity, std::uint32_t size) {
    // Exactly `capacity` bytes, so that a write past it is caught by the sanitizer.
    std::vector<std::uint8_t> buffer(std::max<std::size_t>(capacity, 1));
    std::size_t written = 1;
    const ZipResult result = archive.UnzipItem(index, buffer.data(), capacity, &written);
    switch (result) {
        case ZipResult::kOk:
            Check(capacity >= size && written == size);
            break;
        case ZipResult::kMoreData:
            Check(capacity < size && written == capacity);
            break;
        case ZipResult::kCorrupt:
        case ZipResult::kReadError:
            Check(written == 0);
            break;
        default:
            Check(false);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ZipArchive archive;
    const ZipResult open = archive.OpenFromMemory(data, size);
    Check(open == ZipResult::kOk || open == ZipResult::kCorrupt || (data == nullptr && size == 0));
    if (open != ZipResult::kOk) return 0;

    ZipEntry count;
    Check(archive.GetItem(-1, &count) == ZipResult::kOk);
    for (int index = 0; index < count.index; ++index) {
        ZipEntry entry;
        Check(archive.GetItem(index, &entry) == ZipResult::kOk && entry.index == index);
        Check(entry.name.size() <= ZipEntry::kMaxNameLength);

        // A listed name without '?' is the stored one (invalid UTF-8 would
        // show as '?'); when short enough, looking it up must find this entry
        // or an earlier one of the same name.
        const bool exactName = entry.name.find(L'?') == std::wstring::npos &&
                               platform::ToUtf8(entry.name).size() <= ZipArchive::kMaxLookupNameBytes;
        for (bool ignoreCase : {false, true}) {
            int found = -2;
            ZipEntry foundEntry;
            const ZipResult lookup = archive.FindItem(entry.name, ignoreCase, &found, &foundEntry);
            if (lookup == ZipResult::kOk) {
                Check(found >= 0 && found < count.index && foundEntry.index == found);
                if (exactName) Check(found <= index);
            } else {
                Check(lookup == ZipResult::kNotFound && found == -1 && !exactName);
            }
        }

        const std::size_t capacity = std::min<std::size_t>(entry.uncompressedSize, kMaxBuffer);
        UnzipInto(archive, index, capacity, entry.uncompressedSize);
        UnzipInto(archive, index, capacity / 2, entry.uncompressedSize);
    }
    return 0;
}
