#include "ui_toolkit/markup/MarkupDocument.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/TextConversion.h"
#include "ui_toolkit/core/ResourceFile.h"

// In-place layout after parsing <Button text = "a &amp; b"/> (_ is a space,
// 0 a NUL):
//
//   before:  < B u t t o n _ t e x t _ = _ " a _ & a m p ; _ b " / >
//   after:   < B u t t o n 0 t e x t 0 _ _ " a _ & _ b 0 _ _ _ _ 0 >
//              ^name         ^attribute      ^value              ^text (empty)
//
// Every name and value ends in a NUL; what lay between an attribute's name and
// its opening quote, and what replacing entities freed after a value, is
// overwritten with spaces. So MapAttributes finds the attributes again by
// walking from the element name to the element's text offset.

namespace {

constexpr std::wstring_view kExpectedStartTag = L"Expected start tag";
constexpr std::wstring_view kErrorParsingElementName = L"Error parsing element name";
constexpr std::wstring_view kExpectedStartTagClosing = L"Expected start-tag closing";
constexpr std::wstring_view kExpectedEndTagStart = L"Expected end-tag start";
constexpr std::wstring_view kUnmatchedClosingTag = L"Unmatched closing tag";
constexpr std::wstring_view kErrorWhileParsingAttributes = L"Error while parsing attributes";
constexpr std::wstring_view kExpectedAttributeValue = L"Expected attribute value";
constexpr std::wstring_view kErrorWhileParsingAttributeString = L"Error while parsing attribute string";

struct Entity {
    std::wstring_view name;
    wchar_t character;
};

constexpr Entity kEntities[] = {
    {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''},
};

bool IsWhitespace(wchar_t c) {
    return static_cast<std::uint32_t>(c) - 1 < 32;
}

bool IsNameCharacter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
           c == L':';
}

void SkipWhitespace(const wchar_t* text, std::size_t& at) {
    while (IsWhitespace(text[at])) ++at;
}

std::size_t SkipName(const wchar_t* text, std::size_t at) {
    while (IsNameCharacter(text[at])) ++at;
    return at;
}

}  // namespace

bool MarkupDocument::LoadFromString(std::wstring_view text) {
    return Load(std::wstring(text.substr(0, text.find(L'\0'))));
}

bool MarkupDocument::LoadFromMemory(const void* bytes, std::size_t length) {
    std::string_view utf8;
    if (bytes != nullptr) utf8 = std::string_view(static_cast<const char*>(bytes), length);
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    std::wstring text = platform::ToWide(utf8.substr(0, utf8.find('\0')));
    return Load(std::move(text));
}

bool MarkupDocument::LoadFromFile(std::wstring_view name) {
    Clear();
    SetError({}, {});
    std::vector<std::uint8_t> bytes;
    std::wstring error;
    if (!ReadResourceFile(name, &bytes, &error)) {
        SetError(error, name);
        return false;
    }
    return LoadFromMemory(bytes.data(), bytes.size());
}

MarkupNode MarkupDocument::GetRoot() const {
    if (m_elements.size() < 2) return MarkupNode();
    return MarkupNode(this, 1);
}

bool MarkupDocument::Load(std::wstring text) {
    Clear();
    SetError({}, {});
    m_text = std::move(text);
    if (Parse()) return true;
    Clear();
    return false;
}

void MarkupDocument::Clear() {
    m_text = std::wstring();
    m_elements = std::vector<Element>();
}

// One pass over the text without recursion, so that deep nesting cannot
// exhaust the stack: `parent` is the innermost open element (0 at top level)
// and `previous` its last child so far, the element a new sibling links from.
bool MarkupDocument::Parse() {
    wchar_t* const text = m_text.data();
    AddElement(0, 0);  // index 0 stands for no element
    std::size_t at = 0;
    std::size_t parent = 0;
    std::size_t previous = 0;
    // Set when `at` is on a '<' already seen, which may since have been
    // overwritten by the terminator of the text before it.
    bool atTag = false;

    for (;;) {
        if (!atTag) {
            SkipWhitespace(text, at);
            if (text[at] == 0) {
                if (parent == 0 || m_elements[parent].parent == 0) return true;
                return Fail(kExpectedStartTag, at);
            }
            if (text[at] != L'<') return Fail(kExpectedStartTag, at);
        }
        atTag = false;

        const wchar_t kind = text[at + 1];
        if (kind == L'/') {
            if (parent == 0) return Fail(kUnmatchedClosingTag, at);
            if (!ParseEndTag(parent, at)) return false;
            previous = parent;
            parent = m_elements[parent].parent;
            continue;
        }
        if (kind == L'!' || kind == L'?') {
            // A comment ends at "->", a processing instruction at "?>".
            const wchar_t last = kind == L'!' ? L'-' : L'?';
            at += 1;
            while (text[at] != 0 && !(text[at] == last && text[at + 1] == L'>')) ++at;
            if (text[at] != 0) at += 2;
            continue;
        }

        const std::size_t element = AddElement(parent, previous);
        previous = element;
        const std::size_t nameStart = at + 1;
        const std::size_t nameEnd = SkipName(text, nameStart);
        if (nameEnd == nameStart) return Fail(kErrorParsingElementName, nameStart);
        m_elements[element].name = nameStart;
        at = nameEnd;
        if (!ParseAttributes(at)) return false;
        SkipWhitespace(text, at);

        if (text[at] == L'/' && text[at + 1] == L'>') {
            m_elements[element].text = at;
            text[at] = 0;
            text[nameEnd] = 0;
            at += 2;
            continue;
        }
        if (text[at] != L'>') return Fail(kExpectedStartTagClosing, at);
        text[nameEnd] = 0;
        m_elements[element].text = ++at;

        bool hasEntity = false;
        const std::size_t textStart = at;
        at = FindTextEnd(at, L'<', &hasEntity);
        const std::size_t textEnd = hasEntity ? ReplaceEntities(textStart, at) : at;
        if (text[at] == 0) {
            text[textEnd] = 0;
            if (m_elements[element].parent == 0) return true;
            return Fail(kExpectedEndTagStart, at);
        }
        if (text[at + 1] == L'/') {
            if (!ParseEndTag(element, at)) return false;
            text[textEnd] = 0;
            continue;
        }
        text[textEnd] = 0;
        parent = element;
        previous = 0;
        atTag = true;
    }
}

std::size_t MarkupDocument::AddElement(std::size_t parent, std::size_t previous) {
    const std::size_t capacity = m_elements.capacity();
    if (m_elements.size() == capacity) m_elements.reserve(capacity + capacity / 2 + 500);
    const std::size_t index = m_elements.size();
    m_elements.push_back(Element{0, 0, 0, parent, 0});
    if (previous != 0) {
        m_elements[previous].next = index;
    } else if (parent != 0) {
        m_elements[parent].child = index;
    }
    return index;
}

bool MarkupDocument::ParseAttributes(std::size_t& at) {
    wchar_t* const text = m_text.data();
    for (;;) {
        SkipWhitespace(text, at);
        if (!IsNameCharacter(text[at])) return true;
        const std::size_t nameEnd = SkipName(text, at);
        at = nameEnd;
        SkipWhitespace(text, at);
        if (text[at] != L'=') return Fail(kErrorWhileParsingAttributes, at);
        ++at;
        SkipWhitespace(text, at);
        if (text[at] != L'"') return Fail(kExpectedAttributeValue, at);
        const std::size_t quote = at;

        bool hasEntity = false;
        const std::size_t close = FindTextEnd(quote + 1, L'"', &hasEntity);
        if (text[close] == 0) return Fail(kErrorWhileParsingAttributeString, quote);
        const std::size_t valueEnd = hasEntity ? ReplaceEntities(quote + 1, close) : close;

        text[nameEnd] = 0;
        std::fill(text + nameEnd + 1, text + quote, L' ');
        text[valueEnd] = 0;
        std::fill(text + valueEnd + 1, text + close + 1, L' ');
        at = close + 1;
    }
}

// `at` is on the '<' of "</"; the name of `element` is already terminated.
bool MarkupDocument::ParseEndTag(std::size_t element, std::size_t& at) {
    const wchar_t* const text = m_text.data();
    std::size_t cursor = at + 2;
    for (const wchar_t* name = text + m_elements[element].name; *name != 0; ++name, ++cursor) {
        if (text[cursor] != *name) return Fail(kUnmatchedClosingTag, at);
    }
    SkipWhitespace(text, cursor);
    if (text[cursor] != L'>') return Fail(kUnmatchedClosingTag, at);
    at = cursor + 1;
    return true;
}

std::size_t MarkupDocument::FindTextEnd(std::size_t at, wchar_t stop, bool* hasEntity) const {
    const wchar_t* const text = m_text.data();
    for (wchar_t c = text[at]; c != stop && c != 0; c = text[++at]) {
        if (c == L'&') *hasEntity = true;
    }
    return at;
}

// Replaces the entities in [begin, end) in place; returns the new end.
std::size_t MarkupDocument::ReplaceEntities(std::size_t begin, std::size_t end) {
    wchar_t* const text = m_text.data();
    std::size_t out = begin;
    for (std::size_t in = begin; in < end;) {
        if (text[in] == L'&') {
            const std::wstring_view rest(text + in, end - in);
            const auto entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                             [&](const Entity& e) { return rest.substr(0, e.name.size()) == e.name; });
            if (entity != std::end(kEntities)) {
                text[out++] = entity->character;
                in += entity->name.size();
                continue;
            }
        }
        text[out++] = text[in++];
    }
    return out;
}

std::size_t MarkupDocument::MapAttributes(std::size_t element, MarkupNode::Attribute* attributes) const {
    const wchar_t* const text = m_text.data();
    const std::size_t end = m_elements[element].text;
    std::size_t at = m_elements[element].name;
    at += std::char_traits<wchar_t>::length(text + at) + 1;
    std::size_t count = 0;
    while (count < MarkupNode::kMaxAttributes) {
        while (at < end && IsWhitespace(text[at])) ++at;
        if (at >= end || !IsNameCharacter(text[at])) break;
        const std::size_t name = at;
        at += std::char_traits<wchar_t>::length(text + at) + 1;
        while (at < end && text[at] != L'"') ++at;
        if (at >= end) break;
        const std::size_t value = ++at;
        at += std::char_traits<wchar_t>::length(text + at) + 1;
        attributes[count++] = MarkupNode::Attribute{name, value};
    }
    return count;
}

bool MarkupDocument::Fail(std::wstring_view message, std::size_t at) {
    const wchar_t* const location = m_text.data() + at;
    std::size_t length = 0;
    while (length < kMaxErrorLocationLength && location[length] != 0) ++length;
    SetError(message, std::wstring_view(location, length));
    return false;
}

void MarkupDocument::SetError(std::wstring_view message, std::wstring_view location) {
    m_errorMessage = message.substr(0, kMaxErrorMessageLength);
    m_errorLocation = location.substr(0, kMaxErrorLocationLength);
}
