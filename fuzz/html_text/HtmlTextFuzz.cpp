// Reads the input, as UTF-8, as marked-up text: every token read stays inside
// the text; drawing it, with link arrays, on a small canvas and measuring it
// keep what DrawHtmlText promises on any input: the links found fit their
// slots and their texts come from the text, measuring keeps the corner and
// never widens the box, and measuring twice gives the same size.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextConversion.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/Canvas.h"
#include "ui_toolkit/render/DrawText.h"
#include "ui_toolkit/render/HtmlTagReader.h"
#include "ui_toolkit/render/HtmlText.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Long inputs only repeat what short ones reach, more slowly.
constexpr std::size_t kMaxInput = 4096;
constexpr std::size_t kSlots = 3;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput) return 0;
    const std::wstring text = platform::ToWide(std::string_view(reinterpret_cast<const char*>(data), data ? size : 0));
    for (std::size_t at = 0; at < text.size(); ++at) {
        const HtmlToken token = ReadHtmlToken(text, at);
        Check(token.length <= text.size() - at);
    }

    // A manager per input: fonts the text creates go with it.
    PaintManager manager;
    Canvas canvas(160, 60);
    for (const unsigned style : {0u, kTextSingleLine | kTextRight, kTextWordBreak | kTextCenter | kTextVCenter,
                                 kTextSingleLine | kTextEndEllipsis}) {
        std::vector<UiRect> links;
        std::vector<std::wstring> linkTexts;
        UiRect rect{5, 5, 150, 55};
        DrawHtmlText(canvas, manager, rect, text, 0xFF000000, &links, &linkTexts, -1, style, kSlots);
        Check(links.size() == linkTexts.size() && links.size() <= kSlots);
        for (const std::wstring& linkText : linkTexts) Check(text.find(linkText) != std::wstring::npos);

        const UiRect box{5, 5, 150, 55};
        const UiRect measured = MeasureHtmlText(manager, box, text, -1, style);
        Check(measured.left == box.left && measured.top == box.top && measured.right <= box.right);
        Check(MeasureHtmlText(manager, box, text, -1, style) == measured);
    }
    return 0;
}
