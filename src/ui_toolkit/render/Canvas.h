#pragma once
// The surface the toolkit paints on, standing for a memory device context with
// a 32-bit top-down bitmap selected: an image surface of premultiplied ARGB
// pixels, one native-endian 32-bit word each (the ArgbColor layout), and the
// drawing state on it.

#include <cstdint>
#include <string>

#include "ui_toolkit/core/UiTypes.h"

struct _cairo;
struct _cairo_surface;

class Canvas {
public:
    // Every pixel starts as 0 (transparent black). A negative size, or one
    // that cannot be allocated, gives a canvas that is not valid and ignores
    // all drawing.
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    // A moved-from canvas is not valid. Clip scopes open on a canvas must end
    // before it is moved.
    Canvas(Canvas&& other) noexcept;
    Canvas& operator=(Canvas&& other) noexcept;

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    bool IsValid() const;

    // The premultiplied ARGB value at (x, y); 0 outside the surface.
    std::uint32_t GetPixel(int x, int y) const;

    // Sets every pixel to `color`, taken as premultiplied, without blending and
    // regardless of clip scopes.
    void Clear(ArgbColor color);

    // Copies the pixels of `source` inside `rect` to the same place here,
    // without blending and regardless of clip scopes; the part of `rect`
    // outside either surface is left out.
    void CopyFrom(const Canvas& source, const UiRect& rect);

    // Writes the surface as a PNG file (straight alpha); false when it cannot.
    bool WritePng(const std::string& path) const;

    // Rows of GetWidth() pixels, GetStride() bytes apart; null when not valid.
    const std::uint8_t* GetData() const;
    int GetStride() const;

    // For the render files only. Whoever changes the drawing state restores it.
    _cairo* GetCairo() { return m_cairo; }
    _cairo_surface* GetSurface() { return m_surface; }

private:
    void Release();

    _cairo_surface* m_surface = nullptr;
    _cairo* m_cairo = nullptr;
    int m_width = 0;
    int m_height = 0;
};
