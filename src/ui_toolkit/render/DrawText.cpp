#include "ui_toolkit/render/DrawText.h"

#include <pango/pango.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui_toolkit/core/TextSubstitution.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/ClipScope.h"
#include "ui_toolkit/render/TextLayout.h"

namespace {

struct PlacedLine {
    PangoLayoutLine* line;
    int width;
    int baseline;  // from the top of the text
};

// The text laid out for `rect` and `style`, line by line.
class TextBlock {
public:
    TextBlock(const FontEntry& font, std::wstring text, const UiRect& rect, unsigned style) : m_layout(font) {
        const bool singleLine = (style & kTextSingleLine) != 0;
        if (singleLine)
            std::replace_if(
                text.begin(), text.end(), [](wchar_t c) { return c == L'\n' || c == L'\r'; }, L' ');
        m_layout.SetText(text);
        PangoLayout* layout = m_layout.Get();
        const int width = std::max(0, rect.GetWidth());
        const bool wordBreak = !singleLine && (style & kTextWordBreak) != 0;
        const bool ellipsis = (style & kTextEndEllipsis) != 0;
        if (wordBreak || ellipsis) pango_layout_set_width(layout, width * PANGO_SCALE);
        if (wordBreak) pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
        if (ellipsis) {
            pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
            // Without word break every line is cut on its own; with it, the
            // text wraps and the last line that fits in the height is cut.
            if (wordBreak) pango_layout_set_height(layout, std::max(1, rect.GetHeight()) * PANGO_SCALE);
        }
        PangoLayoutIter* iter = pango_layout_get_iter(layout);
        do {
            PangoRectangle logical;
            pango_layout_iter_get_line_extents(iter, nullptr, &logical);
            m_lines.push_back(PlacedLine{pango_layout_iter_get_line_readonly(iter), PANGO_PIXELS_CEIL(logical.width),
                                         PANGO_PIXELS(pango_layout_iter_get_baseline(iter))});
            m_width = std::max(m_width, m_lines.back().width);
        } while (pango_layout_iter_next_line(iter));
        pango_layout_iter_free(iter);
        PangoRectangle logical;
        pango_layout_get_pixel_extents(layout, nullptr, &logical);
        m_height = text.empty() ? 0 : logical.height;
        if (text.empty()) m_width = 0;
    }

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    const std::vector<PlacedLine>& GetLines() const { return m_lines; }

private:
    TextLayout m_layout;
    std::vector<PlacedLine> m_lines;
    int m_width = 0;
    int m_height = 0;
};

// Where a span of `length` pixels starts in [start, end) for the alignment
// bits `center` and `far`.
int AlignStart(int start, int end, int length, unsigned style, unsigned center, unsigned far) {
    if ((style & far) != 0) return end - length;
    if ((style & center) != 0) return start + (end - start - length) / 2;
    return start;
}

UiRect MeasuredRect(const UiRect& rect, const TextBlock& block) {
    return UiRect{rect.left, rect.top, rect.left + block.GetWidth(), rect.top + block.GetHeight()};
}

}  // namespace

void DrawText(Canvas& dc, PaintManager& manager, UiRect& rect, std::wstring_view text, ArgbColor color, int font,
              unsigned style) {
    const std::wstring substituted = SubstituteTexts(text);
    const TextBlock block(manager.GetFontInfo(font), substituted, rect, style);
    if ((style & kTextCalcRect) != 0) {
        rect = MeasuredRect(rect, block);
        return;
    }
    if (substituted.empty() || rect.IsEmpty()) return;
    ClipScope clip(dc, rect);
    const int top = (style & kTextSingleLine) != 0
                        ? AlignStart(rect.top, rect.bottom, block.GetHeight(), style, kTextVCenter, kTextBottom)
                        : rect.top;
    for (const PlacedLine& line : block.GetLines()) {
        const int x = AlignStart(rect.left, rect.right, line.width, style, kTextCenter, kTextRight);
        DrawLayoutLine(dc, line.line, x, top + line.baseline, color);
    }
}

UiRect MeasureText(PaintManager& manager, const UiRect& rect, std::wstring_view text, int font, unsigned style) {
    return MeasuredRect(rect, TextBlock(manager.GetFontInfo(font), SubstituteTexts(text), rect, style));
}
