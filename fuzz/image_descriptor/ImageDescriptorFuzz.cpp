// Parses the input, as UTF-8, as an image descriptor and checks what the
// parser promises on any input: the name is the whole text or a quoted value
// from it, the resource type goes with the key that named the picture, and
// the fields, written back as a descriptor, parse to the same fields.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/TextConversion.h"
#include "ui_toolkit/render/ImageDescriptor.h"
#include "ui_toolkit/render/ImageLoader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsQuotedValue(std::wstring_view text, std::wstring_view value) {
    return text.find(L"'" + std::wstring(value) + L"'") != std::wstring_view::npos;
}

std::wstring RectText(const UiRect& rect) {
    return std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L"," + std::to_wstring(rect.right) + L"," +
           std::to_wstring(rect.bottom);
}

std::wstring Flag(bool value) {
    return value ? L"true" : L"false";
}

// Every field as a pair; the name must not hold a quote.
std::wstring Write(const ImageDescriptorFields& fields) {
    std::wstring text;
    if (fields.resourceType == kColorResourceType) {
        text = L"color='" + fields.name + L"'";
    } else if (!fields.resourceType.empty()) {
        text = L"res='" + fields.name + L"' restype='" + fields.resourceType + L"'";
    } else {
        text = L"file='" + fields.name + L"'";
    }
    wchar_t mask[16];
    std::swprintf(mask, 16, L"#%08X", static_cast<unsigned>(fields.mask));
    text += L" dest='" + RectText(fields.dest) + L"' source='" + RectText(fields.source) + L"' corner='" +
            RectText(fields.corner) + L"' mask='" + mask + L"' fade='" + std::to_wstring(fields.fade) + L"' hole='" +
            Flag(fields.hole) + L"' xtiled='" + Flag(fields.xtiled) + L"' ytiled='" + Flag(fields.ytiled) + L"' hsl='" +
            Flag(fields.hsl) + L"'";
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = platform::ToWide(std::string_view(reinterpret_cast<const char*>(data), data ? size : 0));
    const ImageDescriptorFields fields = ParseImageDescriptor(text);

    Check(fields.name == text || (!fields.name.empty() && IsQuotedValue(text, fields.name)));
    if (fields.resourceType == kColorResourceType) {
        // Named by a colour, or by a resource whose type is the colour type.
        Check(text.find(L"color") != std::wstring::npos || IsQuotedValue(text, kColorResourceType));
        Check(IsQuotedValue(text, fields.name));
    } else if (!fields.resourceType.empty()) {
        Check(text.find(L"restype") != std::wstring::npos && IsQuotedValue(text, fields.resourceType));
        Check(IsQuotedValue(text, fields.name));
    }

    const bool writable = !fields.name.empty() && fields.name.find(L'\'') == std::wstring::npos &&
                          fields.resourceType.find(L'\'') == std::wstring::npos;
    if (writable) Check(ParseImageDescriptor(Write(fields)) == fields);

    // The descriptor object holds the text as given until it is used.
    ImageDescriptor descriptor;
    descriptor.SetString(text);
    Check(descriptor.GetString() == text && descriptor.IsEmpty() == text.empty());
    return 0;
}
