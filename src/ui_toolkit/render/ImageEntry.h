#pragma once
// One decoded picture, owned by an image table.

#include <cstdint>
#include <string>

#include "ui_toolkit/core/UiTypes.h"

struct _cairo_surface;

struct ImageEntry {
    ImageEntry() = default;
    ~ImageEntry();
    ImageEntry(const ImageEntry&) = delete;
    ImageEntry& operator=(const ImageEntry&) = delete;

    // The premultiplied ARGB value at (x, y); 0 outside the picture.
    std::uint32_t GetPixel(int x, int y) const;

    // Premultiplied ARGB pixels, top row first; owned by the entry.
    _cairo_surface* bitmap = nullptr;
    int width = 0;
    int height = 0;
    // At least one pixel is not fully opaque, or was made transparent by the mask.
    bool hasAlpha = false;
    // The picture takes part in colour adjustment (which this program never turns on).
    bool hsl = false;
    std::wstring resourceType;
    ArgbColor mask = 0;
};
