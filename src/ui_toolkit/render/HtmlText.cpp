#include "ui_toolkit/render/HtmlText.h"

#include <cairo.h>
#include <pango/pango.h>

#include <algorithm>
#include <map>
#include <memory>

#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/core/TextCompare.h"
#include "ui_toolkit/core/TextSubstitution.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/ClipScope.h"
#include "ui_toolkit/render/DrawPrimitives.h"
#include "ui_toolkit/render/DrawText.h"
#include "ui_toolkit/render/FontEntry.h"
#include "ui_toolkit/render/HtmlTagReader.h"
#include "ui_toolkit/render/ImageDescriptor.h"
#include "ui_toolkit/render/ImageEntry.h"
#include "ui_toolkit/render/TextLayout.h"

namespace {

constexpr std::wstring_view kEllipsis = L"...";
constexpr unsigned kAlignTop = 0x0;
constexpr unsigned kAlignCenter = 0x4;
constexpr unsigned kAlignBottom = 0x8;
// The box single-line text is measured in before it is aligned.
constexpr int kSingleLineMeasureWidth = 9999;
constexpr int kSingleLineMeasureHeight = 100;
// Pixel amounts written in the text ({p}, {x}, {y}) are kept within this,
// and positions within kMaxCoordinate, so no sum can overflow.
constexpr int kMaxMarkupPixels = 32767;
constexpr int kMaxCoordinate = 1 << 28;

int ClampMarkupPixels(int value) {
    return std::clamp(value, -kMaxMarkupPixels, kMaxMarkupPixels);
}

// Word break may cut a run after any character but a letter.
bool IsLetter(wchar_t c) {
    return g_unichar_isalpha(static_cast<gunichar>(c)) != FALSE;
}

// Everything a line's drawing pass restores to what it was at the start of
// the line.
struct MarkupState {
    std::size_t position = 0;
    std::vector<const FontEntry*> fonts;
    std::vector<ArgbColor> colors;
    std::vector<int> spacings;
    std::vector<unsigned> alignments;
    bool raw = false;
    bool selected = false;
    // An open link, and whether it holds a link slot.
    bool inLink = false;
    bool linkHasSlot = false;
    int linkStart = 0;
    std::wstring_view linkText;
    std::size_t linkCount = 0;
};

struct LineResult {
    int height = 0;
    int right = 0;  // the furthest the current point went
};

// One call's layout: lines of tokens, each measured, then drawn.
//
//   rect.left           x ->                          rect.right
//   +------------------------------------------------------+  line top
//   | [pic]  Text run  {c}coloured{/c}  [link......]        |  line height: the
//   +------------------------------------------------------+  tallest item
//   text sits on the line's bottom unless {v} says otherwise
class HtmlLayout {
public:
    HtmlLayout(Canvas* dc, PaintManager& manager, const UiRect& rect, std::wstring_view text, ArgbColor color, int font,
               unsigned style, std::size_t linkSlots)
        : m_dc(dc),
          m_manager(manager),
          m_rect(rect),
          m_text(text),
          m_baseColor(color),
          m_baseFont(&manager.GetFontInfo(font)),
          m_style(style),
          m_singleLine((style & kTextSingleLine) != 0),
          m_linkSlots(linkSlots),
          m_widest(rect.left),
          m_lastLineBottom(rect.top),
          m_lowestPicture(rect.top) {}

    void SetHoveredLink(std::wstring_view text) {
        m_hasHoveredLink = true;
        m_hoveredLink = text;
    }

    // Lays out (and, with a canvas, draws) the whole text.
    void Run() {
        int y = m_rect.top;
        while (m_state.position < m_text.size() && y < kMaxCoordinate) {
            const MarkupState start = m_state;
            const std::size_t firstLink = m_state.linkCount;
            const LineResult line = ProcessLine(y, 0, 0, false);
            int shift = 0;
            if (m_dc != nullptr) {
                shift = LineShift(line.right - m_rect.left);
                m_state = start;
                ProcessLine(y, line.height, shift, true);
            }
            for (std::size_t i = firstLink; i < m_linkRects.size(); ++i) {
                m_linkRects[i].bottom = y + line.height;
                m_linkRects[i].Offset(shift, 0);
            }
            m_widest = std::max(m_widest, line.right);
            m_lastLineBottom = y + line.height;
            y += line.height;
            // A line that took nothing means the point cannot advance.
            if (m_state.position == start.position || m_singleLine) break;
            if (m_dc != nullptr && y >= m_rect.bottom) break;
        }
        m_linkRects.resize(m_state.linkCount);
        m_linkTexts.resize(m_state.linkCount);
    }

    UiRect MeasuredRect() const {
        UiRect measured = m_rect;
        measured.right = std::min(m_rect.right, m_widest);
        measured.bottom = std::max(m_lowestPicture, m_lastLineBottom);
        return measured;
    }
    const std::vector<UiRect>& GetLinkRects() const { return m_linkRects; }
    const std::vector<std::wstring>& GetLinkTexts() const { return m_linkTexts; }

private:
    // Multi-line text is aligned line by line when drawn; single-line text
    // was aligned by moving the rectangle.
    int LineShift(int lineWidth) const {
        if (m_singleLine) return 0;
        if ((m_style & kTextRight) != 0) return m_rect.GetWidth() - lineWidth;
        if ((m_style & kTextCenter) != 0) return (m_rect.GetWidth() - lineWidth) / 2;
        return 0;
    }

    // Runs one line from the current state. The measuring pass (`drawing`
    // false) finds the line's height and records link rectangles; the drawing
    // pass gets that height and draws everything `shift` pixels to the right.
    LineResult ProcessLine(int top, int height, int shift, bool drawing) {
        m_drawing = drawing;
        m_shift = shift;
        m_lineTop = top;
        m_x = m_rect.left;
        m_lineEnd = false;
        m_lineHeight = drawing ? height : FontLineHeight();
        if (m_state.inLink) OpenLink(m_state.linkText);
        int right = m_x;
        while (!m_lineEnd && m_state.position < m_text.size()) {
            if (m_x >= m_rect.right && m_x > m_rect.left) break;
            Step();
            right = std::max(right, m_x);
        }
        // A link still open continues on the next line as a link of its own.
        if (m_state.inLink) CloseLink();
        return LineResult{m_lineHeight, right};
    }

    void Step() {
        const std::size_t at = m_state.position;
        const wchar_t c = m_text[at];
        if (m_state.raw && IsRawEnd(at)) {
            m_state.raw = false;
            m_state.position += ReadHtmlToken(m_text, at).length;
            return;
        }
        if (c == L'\n') {
            ++m_state.position;
            if (!m_singleLine) m_lineEnd = true;
            return;
        }
        if (!m_state.raw && IsTagOpener(c)) {
            const HtmlToken token = ReadHtmlToken(m_text, at);
            switch (token.kind) {
                case HtmlTokenKind::kEscape:
                    if (DrawRun(std::wstring_view(&m_text[at + 1], 1)) == 1) m_state.position += token.length;
                    return;
                case HtmlTokenKind::kTag:
                    m_state.position += token.length;
                    ApplyTag(token, at);
                    return;
                case HtmlTokenKind::kClosingTag:
                    m_state.position += token.length;
                    ApplyClosingTag(token.letter);
                    return;
                case HtmlTokenKind::kText:
                    break;
            }
        }
        if (c == L' ') {
            m_state.position += DrawRun(std::wstring_view(&m_text[at], 1));
            return;
        }
        // A run: this character and everything up to a newline or a tag
        // opener (in raw mode, only a raw end stops it besides a newline).
        std::size_t end = at + 1;
        while (end < m_text.size() && m_text[end] != L'\n') {
            if (IsTagOpener(m_text[end]) && (!m_state.raw || IsRawEnd(end))) break;
            ++end;
        }
        m_state.position += DrawRun(m_text.substr(at, end - at));
    }

    bool IsRawEnd(std::size_t at) const {
        const HtmlToken token = ReadHtmlToken(m_text, at);
        return token.kind == HtmlTokenKind::kClosingTag && token.letter == L'r';
    }

    void ApplyTag(const HtmlToken& token, std::size_t tagStart) {
        const std::wstring_view argument = token.argument;
        const FontEntry& font = CurrentFont();
        switch (token.letter) {
            case L'a': {
                m_state.inLink = true;
                m_state.linkText = argument;
                OpenLink(argument);
                const bool hovered = m_hasHoveredLink && m_hoveredLink == argument;
                m_state.colors.push_back(hovered ? m_manager.GetDefaultLinkHoverFontColor()
                                                 : m_manager.GetDefaultLinkFontColor());
                if (!font.underline) PushFont(Variant(font, font.bold, true, font.italic));
                break;
            }
            case L'b':
                if (!font.bold) PushFont(Variant(font, true, font.underline, font.italic));
                break;
            case L'c':
                m_state.colors.push_back(ParseColor(argument, true));
                break;
            case L'f':
                PushFont(FontOfArgument(argument));
                break;
            case L'i':
                if (argument.empty()) {
                    PushFont(Variant(font, font.bold, font.underline, true));
                } else if (!DrawPicture(argument)) {
                    // Goes first on the next line.
                    m_state.position = tagStart;
                    m_lineEnd = true;
                }
                break;
            case L'n':
                if (!m_singleLine) m_lineEnd = true;
                break;
            case L'p':
                EndParagraphLine();
                m_state.spacings.push_back(ClampMarkupPixels(ParseInt(argument)));
                GrowLineHeight(FontLineHeight());
                break;
            case L'r':
                m_state.raw = true;
                break;
            case L's':
                m_state.selected = !m_state.selected;
                break;
            case L'u':
                if (!font.underline) PushFont(Variant(font, font.bold, true, font.italic));
                break;
            case L'v':
                m_state.alignments.push_back(EqualsIgnoringCase(argument, L"center") ? kAlignCenter
                                             : EqualsIgnoringCase(argument, L"top")  ? kAlignTop
                                                                                     : kAlignBottom);
                break;
            case L'x':
                Advance(ClampMarkupPixels(ParseInt(argument)));
                break;
            case L'y':
                if (!m_drawing) m_lineHeight = std::max(0, ClampMarkupPixels(ParseInt(argument)));
                break;
            default:
                break;
        }
    }

    void ApplyClosingTag(wchar_t letter) {
        switch (letter) {
            case L'a':
                if (m_state.inLink) CloseLink();
                m_state.inLink = false;
                PopColor();
                PopFont();
                break;
            case L'b':
            case L'f':
            case L'i':
            case L'u':
                PopFont();
                break;
            case L'c':
                PopColor();
                break;
            case L'p':
                EndParagraphLine();
                if (!m_state.spacings.empty()) m_state.spacings.pop_back();
                break;
            case L's':
                m_state.selected = !m_state.selected;
                break;
            case L'v':
                if (!m_state.alignments.empty()) m_state.alignments.pop_back();
                break;
            default:
                break;
        }
    }

    // Draws as much of `run` as fits before the right edge and returns the
    // number of characters taken. A run that does not fit ends the line: it
    // is cut before the character that crosses the edge, with word break
    // after its last space or non-letter instead, and with end ellipsis so
    // that "..." fits after it. At the left edge at least one character is
    // taken, so every line advances.
    std::size_t DrawRun(std::wstring_view run) {
        TextLayout& layout = LayoutFor(CurrentFont());
        const int available = m_rect.right - m_x;
        std::size_t count = run.size();
        int width = MeasureWidth(layout, run);
        bool ellipsis = false;
        if (width > available) {
            m_lineEnd = true;
            ellipsis = (m_style & kTextEndEllipsis) != 0;
            if (ellipsis) {
                count = LongestFittingPrefix(layout, run, available - MeasureWidth(layout, kEllipsis));
            } else {
                count = LongestFittingPrefix(layout, run, available);
                if ((m_style & kTextWordBreak) != 0) {
                    std::size_t cut = count;
                    while (cut > 0 && run[cut - 1] != L' ' && IsLetter(run[cut - 1])) --cut;
                    // A word that does not fit after other items moves to
                    // the next line whole; only a word wider than a line is
                    // cut inside.
                    if (cut > 0 || m_x > m_rect.left) count = cut;
                }
                if (count == 0 && m_x == m_rect.left) count = 1;
            }
            width = MeasureWidth(layout, run.substr(0, count));
        }
        if (count > 0) PaintText(layout, run.substr(0, count), width);
        Advance(width);
        if (ellipsis) {
            PaintText(layout, kEllipsis, MeasureWidth(layout, kEllipsis));
            m_x = std::max(m_x, m_rect.right);
        }
        return count;
    }

    void PaintText(TextLayout& layout, std::wstring_view text, int width) {
        if (!m_drawing) return;
        const FontMetrics& metrics = CurrentFont().GetMetrics();
        const int textHeight = metrics.height + metrics.externalLeading;
        const int top = AlignedTop(textHeight);
        const int x = m_x + m_shift;
        if (m_state.selected) {
            DrawColor(*m_dc, UiRect{x, top, x + width, top + metrics.height},
                      0xFF000000 | m_manager.GetDefaultSelectedBkColor());
        }
        layout.SetText(text);
        layout.DrawLine(*m_dc, x, top + metrics.ascent, CurrentColor());
    }

    // Draws the picture frame an {i} tag names at the current point; false
    // when it does not fit here and has to go to the next line. A picture
    // that cannot be had is skipped.
    bool DrawPicture(std::wstring_view argument) {
        std::wstring name;
        std::wstring resourceType;
        int frames = 1;
        int frame = 0;
        if (argument.find(L"file=") != std::wstring_view::npos || argument.find(L"res=") != std::wstring_view::npos) {
            const ImageDescriptorFields fields = ParseImageDescriptor(argument);
            name = fields.name;
            resourceType = fields.resourceType;
        } else {
            const std::size_t nameEnd = std::min(argument.find(L' '), argument.size());
            name = argument.substr(0, nameEnd);
            std::wstring_view rest = argument.substr(nameEnd);
            frames = std::max(1, ParseInt(rest, &rest));
            frame = ParseInt(rest);
            if (frame < 0 || frame >= frames) frame = 0;
        }
        const ImageEntry* image = m_manager.GetImageEx(name, resourceType);
        if (image == nullptr) return true;
        const int frameWidth = image->width / frames;
        if (m_x + frameWidth > m_rect.right && m_x != m_rect.left && !m_singleLine) return false;
        GrowLineHeight(image->height);
        const int top = AlignedTop(image->height);
        if (!m_drawing) m_lowestPicture = std::max(m_lowestPicture, top + image->height);
        if (m_drawing && frameWidth > 0 && m_dc->IsValid()) {
            cairo_t* cr = m_dc->GetCairo();
            cairo_save(cr);
            const int x = m_x + m_shift;
            cairo_set_source_surface(cr, image->bitmap, x - frame * frameWidth, top);
            cairo_rectangle(cr, x, top, frameWidth, image->height);
            cairo_fill(cr);
            cairo_restore(cr);
        }
        Advance(frameWidth);
        return true;
    }

    // Where an item `height` pixels high starts in the line, by the current
    // vertical alignment.
    int AlignedTop(int height) const {
        const unsigned alignment = m_state.alignments.empty() ? kAlignBottom : m_state.alignments.back();
        if (alignment == kAlignTop) return m_lineTop;
        if (alignment == kAlignCenter) return m_lineTop + (m_lineHeight - height) / 2;
        return m_lineTop + m_lineHeight - height;
    }

    void OpenLink(std::wstring_view text) {
        m_state.linkHasSlot = m_state.linkCount < m_linkSlots;
        m_state.linkStart = m_x;
        if (m_state.linkHasSlot && !m_drawing) {
            m_linkTexts.resize(m_state.linkCount + 1);
            m_linkTexts[m_state.linkCount] = text;
        }
    }

    void CloseLink() {
        if (!m_state.linkHasSlot) return;
        if (!m_drawing) {
            const FontMetrics& metrics = CurrentFont().GetMetrics();
            m_linkRects.resize(m_state.linkCount + 1);
            m_linkRects[m_state.linkCount] =
                UiRect{std::min(m_state.linkStart, m_x), m_lineTop, std::max(m_state.linkStart, m_x),
                       m_lineTop + metrics.height + metrics.externalLeading};
        }
        m_state.linkHasSlot = false;
        ++m_state.linkCount;
    }

    void EndParagraphLine() {
        if (m_x != m_rect.left) m_lineEnd = true;
    }

    void PushFont(const FontEntry* font) {
        m_state.fonts.push_back(font);
        GrowLineHeight(FontLineHeight());
    }

    void PopFont() {
        if (m_state.fonts.empty()) return;
        m_state.fonts.pop_back();
        GrowLineHeight(FontLineHeight());
    }

    void PopColor() {
        if (!m_state.colors.empty()) m_state.colors.pop_back();
    }

    // The measuring pass settles the height; the drawing pass keeps it.
    void GrowLineHeight(int height) {
        if (!m_drawing) m_lineHeight = std::max(m_lineHeight, height);
    }

    void Advance(int pixels) { m_x = std::clamp(m_x + pixels, -kMaxCoordinate, kMaxCoordinate); }

    const FontEntry* Variant(const FontEntry& font, bool bold, bool underline, bool italic) {
        return m_manager.FindOrAddFont(font.face, font.size, bold, underline, italic);
    }

    // "id", or "face words size [bold] [underline] [italic]": the face runs
    // up to the first number or style word; the size defaults to 10.
    const FontEntry* FontOfArgument(std::wstring_view argument) {
        const std::size_t first = argument.find_first_not_of(L' ');
        if (first == std::wstring_view::npos) return &m_manager.GetFontInfo(-1);
        argument = argument.substr(first);
        if (argument[0] >= L'0' && argument[0] <= L'9') return &m_manager.GetFontInfo(ParseInt(argument));
        std::wstring face;
        int size = 10;
        bool bold = false;
        bool underline = false;
        bool italic = false;
        bool inFace = true;
        while (!argument.empty()) {
            const std::size_t end = std::min(argument.find(L' '), argument.size());
            const std::wstring_view word = argument.substr(0, end);
            argument = argument.substr(std::min(end + 1, argument.size()));
            if (word.empty()) continue;
            const bool isNumber = word[0] >= L'0' && word[0] <= L'9';
            const bool isStyle = EqualsIgnoringCase(word, L"bold") || EqualsIgnoringCase(word, L"underline") ||
                                 EqualsIgnoringCase(word, L"italic");
            if (inFace && !isNumber && !isStyle) {
                if (!face.empty()) face += L' ';
                face += word;
                continue;
            }
            inFace = false;
            if (isNumber) size = ParseInt(word);
            bold = bold || EqualsIgnoringCase(word, L"bold");
            underline = underline || EqualsIgnoringCase(word, L"underline");
            italic = italic || EqualsIgnoringCase(word, L"italic");
        }
        return m_manager.FindOrAddFont(face, size, bold, underline, italic);
    }

    const FontEntry& CurrentFont() const { return m_state.fonts.empty() ? *m_baseFont : *m_state.fonts.back(); }
    ArgbColor CurrentColor() const { return m_state.colors.empty() ? m_baseColor : m_state.colors.back(); }
    int FontLineHeight() const {
        const FontMetrics& metrics = CurrentFont().GetMetrics();
        const int spacing = m_state.spacings.empty() ? 0 : m_state.spacings.back();
        return std::max(0, metrics.height + metrics.externalLeading + spacing);
    }

    TextLayout& LayoutFor(const FontEntry& font) {
        std::unique_ptr<TextLayout>& layout = m_layouts[&font];
        if (layout == nullptr) layout = std::make_unique<TextLayout>(font);
        return *layout;
    }

    static int MeasureWidth(TextLayout& layout, std::wstring_view text) {
        layout.SetText(text);
        return layout.GetWidth();
    }

    // The most leading characters of `run` no wider than `width`.
    static std::size_t LongestFittingPrefix(TextLayout& layout, std::wstring_view run, int width) {
        std::size_t fits = 0;
        std::size_t tooMany = run.size() + 1;
        while (tooMany - fits > 1) {
            const std::size_t middle = fits + (tooMany - fits) / 2;
            if (MeasureWidth(layout, run.substr(0, middle)) <= width) {
                fits = middle;
            } else {
                tooMany = middle;
            }
        }
        return fits;
    }

    Canvas* m_dc;
    PaintManager& m_manager;
    const UiRect m_rect;
    const std::wstring_view m_text;
    const ArgbColor m_baseColor;
    const FontEntry* const m_baseFont;
    const unsigned m_style;
    const bool m_singleLine;
    const std::size_t m_linkSlots;
    bool m_hasHoveredLink = false;
    std::wstring m_hoveredLink;

    MarkupState m_state;
    std::map<const FontEntry*, std::unique_ptr<TextLayout>> m_layouts;
    bool m_drawing = false;
    int m_shift = 0;
    int m_lineTop = 0;
    int m_lineHeight = 0;
    int m_x = 0;
    bool m_lineEnd = false;
    int m_widest;
    int m_lastLineBottom;
    int m_lowestPicture;

    std::vector<UiRect> m_linkRects;
    std::vector<std::wstring> m_linkTexts;
};

// Lays out `text`, already substituted, in `rect`; draws when `dc` is given.
void LayOut(Canvas* dc, PaintManager& manager, UiRect& rect, const std::wstring& text, ArgbColor color,
            std::vector<UiRect>* links, std::vector<std::wstring>* linkTexts, int font, unsigned style,
            std::size_t linkSlots) {
    if (text.empty() || rect.IsEmpty()) return;
    const bool measureOnly = dc == nullptr || (style & kTextCalcRect) != 0;
    std::unique_ptr<ClipScope> clip;
    UiRect area = rect;
    if (!measureOnly) {
        clip = std::make_unique<ClipScope>(*dc, rect);
        if ((style & (kTextCenter | kTextRight | kTextVCenter | kTextBottom)) != 0) {
            const bool singleLine = (style & kTextSingleLine) != 0;
            UiRect measured = singleLine ? UiRect{rect.left, rect.top, rect.left + kSingleLineMeasureWidth,
                                                  rect.top + kSingleLineMeasureHeight}
                                         : rect;
            LayOut(nullptr, manager, measured, text, color, nullptr, nullptr, font, style | kTextCalcRect, 0);
            const int textWidth = measured.GetWidth();
            const int textHeight = measured.GetHeight();
            if (singleLine && (style & kTextRight) != 0) {
                area.left = rect.right - textWidth;
            } else if (singleLine && (style & kTextCenter) != 0) {
                // Centred on the box; a text wider than the box overflows
                // both sides rather than being cut.
                area.left = rect.left + rect.GetWidth() / 2 - textWidth / 2;
                area.right = std::max(rect.right, area.left + textWidth);
            }
            if ((style & kTextVCenter) != 0) {
                area.top = rect.top + rect.GetHeight() / 2 - textHeight / 2;
            } else if ((style & kTextBottom) != 0) {
                area.top = rect.bottom - textHeight;
            }
        }
    }
    HtmlLayout layout(measureOnly ? nullptr : dc, manager, area, text, color, font, style, linkSlots);
    if (links != nullptr) {
        const UiPoint mouse = manager.GetMousePos();
        for (std::size_t i = 0; i < links->size(); ++i) {
            if (!(*links)[i].Contains(mouse)) continue;
            layout.SetHoveredLink(linkTexts != nullptr && i < linkTexts->size() ? (*linkTexts)[i] : std::wstring());
            break;
        }
    }
    layout.Run();
    if (measureOnly) rect = layout.MeasuredRect();
    if (links != nullptr) *links = layout.GetLinkRects();
    if (linkTexts != nullptr) *linkTexts = layout.GetLinkTexts();
}

}  // namespace

void DrawHtmlText(Canvas& dc, PaintManager& manager, UiRect& rect, std::wstring_view text, ArgbColor color,
                  std::vector<UiRect>* links, std::vector<std::wstring>* linkTexts, int font, unsigned style,
                  std::size_t linkSlots) {
    const std::size_t slots = links != nullptr || linkTexts != nullptr ? linkSlots : 0;
    LayOut(&dc, manager, rect, SubstituteTexts(text), color, links, linkTexts, font, style, slots);
}

UiRect MeasureHtmlText(PaintManager& manager, const UiRect& rect, std::wstring_view text, int font, unsigned style) {
    UiRect measured = rect;
    LayOut(nullptr, manager, measured, SubstituteTexts(text), 0, nullptr, nullptr, font, style | kTextCalcRect, 0);
    return measured;
}
