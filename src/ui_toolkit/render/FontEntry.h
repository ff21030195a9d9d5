#pragma once
// A font of the toolkit: its description (face, pixel size, styles) and the
// text metrics of the font it resolves to, found on first use.

#include <memory>
#include <string>
#include <string_view>
#include <utility>

// Pixel metrics of a resolved font. `height` is ascent plus descent: one line
// of text without extra spacing.
struct FontMetrics {
    int height = 0;
    int ascent = 0;
    int externalLeading = 0;
    int averageCharWidth = 0;
    int maxCharWidth = 0;
};

class FontFace;

struct FontEntry {
    FontEntry() = default;
    FontEntry(std::wstring faceName, int pixelSize, bool isBold, bool isUnderline, bool isItalic)
        : face(std::move(faceName)), size(pixelSize), bold(isBold), underline(isUnderline), italic(isItalic) {}

    std::wstring face;
    int size = 0;  // character height in pixels
    bool bold = false;
    bool underline = false;
    bool italic = false;

    // The resolved font for the description as it is now. Resolved on first
    // use and again after the description changed; copies share it.
    const FontFace& GetFace() const;
    const FontMetrics& GetMetrics() const;
    // True when the description is exactly this one.
    bool HasStyle(std::wstring_view otherFace, int otherSize, bool otherBold, bool otherUnderline,
                  bool otherItalic) const;

private:
    mutable std::shared_ptr<const FontFace> m_resolved;
};
