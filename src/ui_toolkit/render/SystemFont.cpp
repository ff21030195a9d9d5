#include "ui_toolkit/render/SystemFont.h"

#include <fontconfig/fontconfig.h>

#include "platform/TextConversion.h"

namespace {

constexpr int kSystemFontSize = 12;
// The generic name the desktop maps to its interface face, and what stands
// in when fontconfig has no answer (pango resolves it the same way later).
constexpr char kGenericFamily[] = "sans-serif";

}  // namespace

FontEntry GetSystemDefaultFont() {
    FontEntry font{L"Sans", kSystemFontSize, false, false, false};
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(kGenericFamily));
    if (pattern == nullptr) return font;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* family = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family != nullptr) {
        font.face = platform::ToWide(reinterpret_cast<const char*>(family));
    }
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return font;
}
