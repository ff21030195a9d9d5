#include "TextFixture.h"

#include <algorithm>
#include <cstdlib>

namespace {

int ChannelOf(std::uint32_t pixel, int shift) {
    return static_cast<int>((pixel >> shift) & 0xFF);
}

// True when every colour channel of `pixel` is the same fraction of
// `color`'s, within rounding.
bool IsShadeOf(std::uint32_t pixel, std::uint32_t color) {
    int brightest = 0;
    int shift = 0;
    for (int s = 0; s < 24; s += 8) {
        if (ChannelOf(color, s) > brightest) {
            brightest = ChannelOf(color, s);
            shift = s;
        }
    }
    // Faint edge pixels are too dim to tell one colour from another.
    if (brightest == 0 || ChannelOf(pixel, shift) < brightest / 4) return false;
    const double fraction = ChannelOf(pixel, shift) / static_cast<double>(brightest);
    for (int s = 0; s < 24; s += 8) {
        if (std::abs(ChannelOf(pixel, s) - ChannelOf(color, s) * fraction) > 3) return false;
    }
    return true;
}

}  // namespace

Ink TextFixture::InkOf(std::uint32_t color, const UiRect& area) const {
    return InkWhere(area, [color](std::uint32_t pixel) { return IsShadeOf(pixel, color); });
}

int TextFixture::ForeignInk(std::initializer_list<std::uint32_t> colors) const {
    const Ink foreign = InkWhere({}, [colors](std::uint32_t pixel) {
        const int brightest = std::max({ChannelOf(pixel, 0), ChannelOf(pixel, 8), ChannelOf(pixel, 16)});
        if (brightest < 64) return false;
        return std::none_of(colors.begin(), colors.end(), [pixel](std::uint32_t c) { return IsShadeOf(pixel, c); });
    });
    return foreign.count;
}

Ink TextFixture::AnyInk(const UiRect& area) const {
    return InkWhere(area, [](std::uint32_t pixel) { return pixel != kBlack; });
}

Ink TextFixture::InkWhere(const UiRect& area, const std::function<bool(std::uint32_t)>& isInk) const {
    const UiRect where = area.IsEmpty() ? UiRect{0, 0, m_canvas.GetWidth(), m_canvas.GetHeight()} : area;
    Ink ink;
    for (int y = where.top; y < where.bottom; ++y) {
        for (int x = where.left; x < where.right; ++x) {
            if (!isInk(m_canvas.GetPixel(x, y))) continue;
            ink.bounds = UnionRect(ink.bounds, UiRect{x, y, x + 1, y + 1});
            ++ink.count;
        }
    }
    return ink;
}
