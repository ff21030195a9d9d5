#pragma once
// One parsed skin markup document: a small XML dialect whose elements name
// controls and whose attributes set their properties.
//
// The text is parsed in place: the document keeps its own copy, writes
// terminators and replaced entities into it, and records every element in one
// table, so names, values and texts are views into that copy and nothing is
// allocated per element.
//
// Accepted syntax, exactly:
// - whitespace is any character of code 1 to 32; the text ends at its first
//   NUL character;
// - between elements only whitespace may stand; "<!" starts a comment that runs
//   to the first "->" and "<?" a processing instruction that runs to the first
//   "?>", both skipped;
// - names are runs of ASCII letters, digits, '_' and ':';
// - an attribute is name, optional whitespace, '=', optional whitespace and a
//   value in double quotes; no whitespace is needed before the next one;
// - "/>" ends an empty element, '>' opens content; content text runs to the
//   next '<' and is followed by child elements and the end tag, which repeats
//   the name exactly and may have whitespace before '>';
// - in values and content only &amp; &lt; &gt; &quot; &apos; are replaced;
// - the end of the text while no element or only a top-level one is open ends
//   the document successfully, so "<Window><Button/>" is complete; further
//   top-level elements after the root are parsed and become its siblings.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ui_toolkit/markup/MarkupNode.h"

class MarkupDocument {
public:
    static constexpr std::size_t kMaxErrorMessageLength = 99;
    static constexpr std::size_t kMaxErrorLocationLength = 49;

    MarkupDocument() = default;
    // Cursors point at the document, so it stays where it is.
    MarkupDocument(const MarkupDocument&) = delete;
    MarkupDocument& operator=(const MarkupDocument&) = delete;

    // Every load first discards the previous document. On failure the
    // document is empty and the error slots say why.
    bool LoadFromString(std::wstring_view text);
    // UTF-8, with or without the mark EF BB BF; invalid bytes become '?'.
    // Null bytes count as no bytes.
    bool LoadFromMemory(const void* bytes, std::size_t length);
    // Reads the named file through the resource settings (see ReadResourceFile).
    bool LoadFromFile(std::wstring_view name);

    // The first top-level element; invalid when the document has none.
    MarkupNode GetRoot() const;

    // Empty after a successful load.
    const std::wstring& GetLastErrorMessage() const { return m_errorMessage; }
    // The text where parsing stopped, or the file name for a read failure.
    const std::wstring& GetLastErrorLocation() const { return m_errorLocation; }

private:
    friend class MarkupNode;

    // Offsets into m_text and indexes into m_elements; index 0 is no element.
    struct Element {
        std::size_t name;
        std::size_t child;
        std::size_t next;
        std::size_t parent;
        std::size_t text;
    };

    bool Load(std::wstring text);
    void Clear();
    bool Parse();
    std::size_t AddElement(std::size_t parent, std::size_t previous);
    bool ParseAttributes(std::size_t& at);
    bool ParseEndTag(std::size_t element, std::size_t& at);
    std::size_t FindTextEnd(std::size_t at, wchar_t stop, bool* hasEntity) const;
    std::size_t ReplaceEntities(std::size_t begin, std::size_t end);
    // Finds the first MarkupNode::kMaxAttributes attributes of `element` again
    // in the parsed text; returns how many were found.
    std::size_t MapAttributes(std::size_t element, MarkupNode::Attribute* attributes) const;
    bool Fail(std::wstring_view message, std::size_t at);
    void SetError(std::wstring_view message, std::wstring_view location);

    // NUL-terminated; parsing writes into it.
    std::wstring m_text;
    std::vector<Element> m_elements;
    std::wstring m_errorMessage;
    std::wstring m_errorLocation;
};
