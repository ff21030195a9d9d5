#pragma once
// Image descriptors: the strings that say which picture a control draws and
// how, such as "file='img/checked.png' dest='0,8,14,22'".

#include <cstdint>
#include <string>
#include <string_view>

#include "ui_toolkit/core/UiTypes.h"

class ImageLibrary;
struct ImageEntry;

// What a descriptor string says. Rectangles are l,t,r,b lists: `dest` holds
// offsets inside the control (all 0: the whole control), `source` the part of
// the picture (all 0: the whole picture), `corner` the widths of the four
// borders kept unscaled in nine-part drawing.
struct ImageDescriptorFields {
    // The picture's name in the image tables.
    std::wstring name;
    // The type the picture is loaded with: the `restype` of a `res` picture,
    // kColorResourceType for a `color` one, empty for a file.
    std::wstring resourceType;
    UiRect dest;
    UiRect source;
    UiRect corner;
    ArgbColor mask = 0;
    // Constant opacity, 255 = opaque.
    std::uint8_t fade = 255;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
    bool hsl = false;

    bool operator==(const ImageDescriptorFields& other) const;
    bool operator!=(const ImageDescriptorFields& other) const { return !(*this == other); }
};

// Reads `text` as a list of key='value' pairs, each separated from the next
// by one space; whitespace may surround the '='. The first deviation ends the
// reading quietly, keeping the pairs read so far. The name starts as the
// whole text, so a plain name is a complete descriptor. Keys are compared
// exactly; unknown keys and empty values are ignored; `fade` is limited to
// 0-255.
ImageDescriptorFields ParseImageDescriptor(std::wstring_view text);

// One image attribute of a control: its string, parsed on first use, and the
// picture it names.
class ImageDescriptor {
public:
    // Discards what was parsed and loaded, so the string is parsed again on
    // next use; the same string again changes nothing once its picture is
    // loaded (and, for a picture that failed, makes it be tried once more).
    void SetString(std::wstring_view text);
    const std::wstring& GetString() const { return m_string; }
    bool IsEmpty() const { return m_string.empty(); }

    // Parses the string the first time, then finds the picture with
    // GetImageEx. A picture that cannot be had is remembered as missing: the
    // descriptor is neither parsed nor looked up again and gives null until
    // SetString. When the library's tables changed since the last lookup, the
    // name is looked up again.
    const ImageEntry* Load(ImageLibrary& images);

    // The picture found by the last Load; valid while that library's stamp
    // stays the same.
    const ImageEntry* GetImage() const { return m_image; }

    // The parsed fields; defaults until the first Load.
    const ImageDescriptorFields& GetFields() const { return m_fields; }

private:
    std::wstring m_string;
    ImageDescriptorFields m_fields;
    bool m_parsed = false;
    bool m_failed = false;
    const ImageEntry* m_image = nullptr;
    // Where m_image came from, and that library's stamp at the time.
    const ImageLibrary* m_library = nullptr;
    std::uint64_t m_stamp = 0;
};
