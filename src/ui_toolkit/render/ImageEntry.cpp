#include "ui_toolkit/render/ImageEntry.h"

#include <cairo.h>

#include <cstring>

ImageEntry::~ImageEntry() {
    if (bitmap != nullptr) cairo_surface_destroy(bitmap);
}

std::uint32_t ImageEntry::GetPixel(int x, int y) const {
    if (bitmap == nullptr || x < 0 || y < 0 || x >= width || y >= height) return 0;
    const unsigned char* data = cairo_image_surface_get_data(bitmap);
    const int stride = cairo_image_surface_get_stride(bitmap);
    std::uint32_t pixel;
    std::memcpy(&pixel, data + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 4, 4);
    return pixel;
}
