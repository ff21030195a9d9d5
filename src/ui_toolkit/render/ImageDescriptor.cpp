#include "ui_toolkit/render/ImageDescriptor.h"

#include <algorithm>

#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/render/ImageLibrary.h"
#include "ui_toolkit/render/ImageLoader.h"

namespace {

bool IsSpace(wchar_t c) {
    return c <= L' ';
}

// Where the picture's name came from; the last of file, res and color wins.
enum class NameSource { kWholeText, kFile, kResource, kColor };

struct ParseState {
    ImageDescriptorFields fields;
    NameSource nameSource = NameSource::kWholeText;
    std::wstring resourceType;
};

void Apply(std::wstring_view key, std::wstring_view value, ParseState* state) {
    ImageDescriptorFields& fields = state->fields;
    if (key == L"file" || key == L"res" || key == L"color") {
        fields.name = value;
        state->nameSource = key == L"file"  ? NameSource::kFile
                            : key == L"res" ? NameSource::kResource
                                            : NameSource::kColor;
    } else if (key == L"restype") {
        state->resourceType = value;
    } else if (key == L"dest") {
        fields.dest = ParseRect(value);
    } else if (key == L"source") {
        fields.source = ParseRect(value);
    } else if (key == L"corner" || key == L"scale9") {
        fields.corner = ParseRect(value);
    } else if (key == L"mask") {
        fields.mask = ParseColor(value);
    } else if (key == L"fade") {
        fields.fade = static_cast<std::uint8_t>(std::clamp(ParseInt(value), 0, 255));
    } else if (key == L"hole") {
        fields.hole = ParseBool(value);
    } else if (key == L"xtiled") {
        fields.xtiled = ParseBool(value);
    } else if (key == L"ytiled") {
        fields.ytiled = ParseBool(value);
    } else if (key == L"hsl") {
        fields.hsl = ParseBool(value);
    }
}

}  // namespace

bool ImageDescriptorFields::operator==(const ImageDescriptorFields& other) const {
    return name == other.name && resourceType == other.resourceType && dest == other.dest && source == other.source &&
           corner == other.corner && mask == other.mask && fade == other.fade && hole == other.hole &&
           xtiled == other.xtiled && ytiled == other.ytiled && hsl == other.hsl;
}

ImageDescriptorFields ParseImageDescriptor(std::wstring_view text) {
    ParseState state;
    state.fields.name = text;
    const std::size_t size = text.size();
    std::size_t i = 0;
    const auto skipSpace = [&] {
        while (i < size && IsSpace(text[i])) ++i;
    };
    while (i < size) {
        skipSpace();
        const std::size_t keyStart = i;
        while (i < size && text[i] != L'=' && !IsSpace(text[i])) ++i;
        const std::wstring_view key = text.substr(keyStart, i - keyStart);
        skipSpace();
        if (i >= size || text[i] != L'=') break;
        ++i;
        skipSpace();
        if (i >= size || text[i] != L'\'') break;
        const std::size_t valueStart = ++i;
        while (i < size && text[i] != L'\'') ++i;
        if (i >= size) break;
        const std::wstring_view value = text.substr(valueStart, i - valueStart);
        ++i;
        if (!value.empty()) Apply(key, value, &state);
        if (i >= size || text[i] != L' ') break;
        ++i;
    }
    if (state.nameSource == NameSource::kResource) state.fields.resourceType = state.resourceType;
    if (state.nameSource == NameSource::kColor) state.fields.resourceType = kColorResourceType;
    return state.fields;
}

void ImageDescriptor::SetString(std::wstring_view text) {
    if (text == m_string && m_image != nullptr) return;
    *this = ImageDescriptor();
    m_string = text;
}

const ImageEntry* ImageDescriptor::Load(ImageLibrary& images) {
    if (m_failed || m_string.empty()) return nullptr;
    if (!m_parsed) {
        m_fields = ParseImageDescriptor(m_string);
        m_parsed = true;
    }
    if (m_image != nullptr && m_library == &images && m_stamp == images.GetStamp()) return m_image;
    m_image = images.GetImageEx(m_fields.name, m_fields.resourceType, m_fields.mask, m_fields.hsl);
    m_library = &images;
    m_stamp = images.GetStamp();
    m_failed = m_image == nullptr;
    return m_image;
}
