#include "ui_toolkit/render/Canvas.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <utility>

Canvas::Canvas(int width, int height) {
    m_surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    m_cairo = cairo_create(m_surface);
    if (IsValid()) {
        m_width = cairo_image_surface_get_width(m_surface);
        m_height = cairo_image_surface_get_height(m_surface);
    }
}

Canvas::~Canvas() {
    Release();
}

Canvas::Canvas(Canvas&& other) noexcept
    : m_surface(std::exchange(other.m_surface, nullptr)),
      m_cairo(std::exchange(other.m_cairo, nullptr)),
      m_width(std::exchange(other.m_width, 0)),
      m_height(std::exchange(other.m_height, 0)) {}

Canvas& Canvas::operator=(Canvas&& other) noexcept {
    if (this != &other) {
        Release();
        m_surface = std::exchange(other.m_surface, nullptr);
        m_cairo = std::exchange(other.m_cairo, nullptr);
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
    }
    return *this;
}

void Canvas::Release() {
    if (m_cairo != nullptr) cairo_destroy(m_cairo);
    if (m_surface != nullptr) cairo_surface_destroy(m_surface);
    m_cairo = nullptr;
    m_surface = nullptr;
}

bool Canvas::IsValid() const {
    return m_surface != nullptr && cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS && m_cairo != nullptr &&
           cairo_status(m_cairo) == CAIRO_STATUS_SUCCESS;
}

const std::uint8_t* Canvas::GetData() const {
    if (!IsValid()) return nullptr;
    // Drawing through cairo may still be pending until the surface is flushed.
    cairo_surface_flush(m_surface);
    return cairo_image_surface_get_data(m_surface);
}

int Canvas::GetStride() const {
    return IsValid() ? cairo_image_surface_get_stride(m_surface) : 0;
}

std::uint32_t Canvas::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    const std::uint8_t* data = GetData();
    if (data == nullptr) return 0;
    std::uint32_t pixel;
    std::memcpy(&pixel, data + static_cast<std::size_t>(y) * GetStride() + static_cast<std::size_t>(x) * 4, 4);
    return pixel;
}

void Canvas::Clear(ArgbColor color) {
    if (!IsValid()) return;
    cairo_surface_flush(m_surface);
    std::uint8_t* data = cairo_image_surface_get_data(m_surface);
    const int stride = GetStride();
    for (int y = 0; y < m_height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        std::fill(row, row + m_width, color);
    }
    cairo_surface_mark_dirty(m_surface);
}

void Canvas::CopyFrom(const Canvas& source, const UiRect& rect) {
    if (!IsValid() || !source.IsValid()) return;
    UiRect area;
    if (!IntersectRect(&area, rect,
                       UiRect{0, 0, std::min(m_width, source.m_width), std::min(m_height, source.m_height)})) {
        return;
    }
    const std::uint8_t* from = source.GetData();
    cairo_surface_flush(m_surface);
    std::uint8_t* to = cairo_image_surface_get_data(m_surface);
    const std::size_t rowBytes = static_cast<std::size_t>(area.GetWidth()) * 4;
    for (int y = area.top; y < area.bottom; ++y) {
        std::memmove(to + static_cast<std::size_t>(y) * GetStride() + static_cast<std::size_t>(area.left) * 4,
                     from + static_cast<std::size_t>(y) * source.GetStride() + static_cast<std::size_t>(area.left) * 4,
                     rowBytes);
    }
    cairo_surface_mark_dirty(m_surface);
}

bool Canvas::WritePng(const std::string& path) const {
    if (!IsValid()) return false;
    return cairo_surface_write_to_png(m_surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}
