// Parses the input as UTF-8 markup, then walks every element and attribute and
// checks what the document promises on any input: a failure leaves no root and
// one of the parser's messages; every view ends in a NUL; links are consistent;
// a lookup by name finds the first attribute of that name.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "platform/TextConversion.h"
#include "ui_toolkit/markup/MarkupDocument.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsNameCharacter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
           c == L':';
}

void CheckView(std::wstring_view view) {
    Check(view.data() != nullptr && view.data()[view.size()] == L'\0');
}

void CheckName(std::wstring_view name) {
    CheckView(name);
    Check(!name.empty());
    for (wchar_t c : name) Check(IsNameCharacter(c));
}

// Elements are told apart by where their names lie in the document's text.
bool Same(const MarkupNode& a, const MarkupNode& b) {
    return a.IsValid() && b.IsValid() && a.GetName().data() == b.GetName().data();
}

void Visit(const MarkupNode& node) {
    CheckName(node.GetName());
    CheckView(node.GetText());
    const std::size_t count = node.GetAttributeCount();
    Check(count <= MarkupNode::kMaxAttributes);
    Check(node.HasAttributes() == (count != 0));
    for (std::size_t i = 0; i < count; ++i) {
        const std::wstring_view name = node.GetAttributeName(i);
        const std::wstring_view value = node.GetAttributeValue(i);
        CheckName(name);
        CheckView(value);
        std::size_t first = i;
        for (std::size_t j = 0; j < i; ++j) {
            if (node.GetAttributeName(j) == name) {
                first = j;
                break;
            }
        }
        Check(node.HasAttribute(name));
        Check(node.GetAttributeValue(name).data() == node.GetAttributeValue(first).data());
        std::wstring copy;
        Check(node.GetAttributeValue(name, 3, &copy) && copy == node.GetAttributeValue(first).substr(0, 3));
    }
    Check(node.GetAttributeName(count).empty() && node.GetAttributeValue(count).empty());
    if (node.HasChildren()) Check(Same(node.GetChild().GetParent(), node));
    if (node.GetSibling().IsValid()) {
        const MarkupNode parent = node.GetParent();
        Check(parent.IsValid() ? Same(node.GetSibling().GetParent(), parent) : !node.GetSibling().GetParent().IsValid());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::set<std::wstring> kMessages = {
        L"Expected start tag",       L"Error parsing element name",           L"Error while parsing attributes",
        L"Expected attribute value", L"Error while parsing attribute string", L"Expected start-tag closing",
        L"Expected end-tag start",   L"Unmatched closing tag",
    };

    MarkupDocument document;
    const bool loaded = document.LoadFromMemory(data, size);
    if (!loaded) {
        Check(kMessages.count(document.GetLastErrorMessage()) == 1);
        Check(document.GetLastErrorLocation().size() <= MarkupDocument::kMaxErrorLocationLength);
        Check(!document.GetRoot().IsValid());
    } else {
        Check(document.GetLastErrorMessage().empty() && document.GetLastErrorLocation().empty());
    }

    // Depth first without recursion; every element takes at least two bytes
    // of input, which bounds the walk should the links ever form a cycle.
    std::size_t visited = 0;
    MarkupNode node = document.GetRoot();
    while (node.IsValid()) {
        Check(++visited <= size / 2 + 1);
        Visit(node);
        if (node.HasChildren()) {
            node = node.GetChild();
            continue;
        }
        while (node.IsValid() && !node.GetSibling().IsValid()) node = node.GetParent();
        if (node.IsValid()) node = node.GetSibling();
    }

    // The same text given as a string parses the same way.
    std::string_view bytes(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    MarkupDocument again;
    Check(again.LoadFromString(platform::ToWide(bytes)) == loaded);
    Check(again.GetLastErrorMessage() == document.GetLastErrorMessage());
    Check(again.GetLastErrorLocation() == document.GetLastErrorLocation());
    return 0;
}
