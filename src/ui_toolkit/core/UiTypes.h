#pragma once
// The toolkit's value types: rectangles, sizes and points in window client
// coordinates, and 32-bit ARGB colours (alpha in the top byte).

#include <algorithm>
#include <cstdint>

using ArgbColor = std::uint32_t;

struct UiPoint {
    int x = 0;
    int y = 0;
    bool operator==(const UiPoint& other) const { return x == other.x && y == other.y; }
    bool operator!=(const UiPoint& other) const { return !(*this == other); }
};

struct UiSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const UiSize& other) const { return cx == other.cx && cy == other.cy; }
    bool operator!=(const UiSize& other) const { return !(*this == other); }
};

// Right and bottom are exclusive: a rectangle (0,0)-(10,10) covers 100 pixels.
struct UiRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int GetWidth() const { return right - left; }
    int GetHeight() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool Contains(UiPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    // Right at least left, bottom at least top.
    void Normalize() {
        if (right < left) right = left;
        if (bottom < top) bottom = top;
    }
    void Offset(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    // Shrinks by the four insets (each a distance from its own side).
    void Deflate(const UiRect& inset) {
        left += inset.left;
        top += inset.top;
        right -= inset.right;
        bottom -= inset.bottom;
    }

    bool operator==(const UiRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    bool operator!=(const UiRect& other) const { return !(*this == other); }
};

// The common part of two rectangles; empty (all zero) when they do not meet.
inline bool IntersectRect(UiRect* result, const UiRect& a, const UiRect& b) {
    const UiRect common{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                        std::min(a.bottom, b.bottom)};
    if (common.IsEmpty()) {
        *result = UiRect{};
        return false;
    }
    *result = common;
    return true;
}

// The smallest rectangle holding both; an empty one does not count.
inline UiRect UnionRect(const UiRect& a, const UiRect& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return UiRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                  std::max(a.bottom, b.bottom)};
}

inline constexpr std::uint8_t AlphaOf(ArgbColor c) { return static_cast<std::uint8_t>(c >> 24); }
inline constexpr std::uint8_t RedOf(ArgbColor c) { return static_cast<std::uint8_t>(c >> 16); }
inline constexpr std::uint8_t GreenOf(ArgbColor c) { return static_cast<std::uint8_t>(c >> 8); }
inline constexpr std::uint8_t BlueOf(ArgbColor c) { return static_cast<std::uint8_t>(c); }
