#pragma once
// A cursor on one element of a MarkupDocument.
//
// Names, values and texts are views into the document's text; each view is
// followed by a NUL character in that text. Cursors and views stay valid until
// the document is loaded again or destroyed. A default-constructed cursor, and
// the cursor past the last sibling, child or parent, are invalid: they answer
// every question with an empty result.

#include <cstddef>
#include <string>
#include <string_view>

class MarkupDocument;

class MarkupNode {
public:
    // Attributes beyond this many, in document order, are not seen.
    static constexpr std::size_t kMaxAttributes = 64;

    MarkupNode() = default;
    MarkupNode(const MarkupNode& other);
    MarkupNode& operator=(const MarkupNode& other);

    bool IsValid() const { return m_document != nullptr; }

    MarkupNode GetParent() const;
    MarkupNode GetSibling() const;  // the next sibling
    MarkupNode GetChild() const;    // the first child
    bool HasChildren() const;

    std::wstring_view GetName() const;
    // The text between the start tag and the first child or the end tag, with
    // entities replaced and whitespace kept.
    std::wstring_view GetText() const;

    bool HasAttributes() const;
    std::size_t GetAttributeCount() const;
    // Empty for an index out of range.
    std::wstring_view GetAttributeName(std::size_t index) const;
    std::wstring_view GetAttributeValue(std::size_t index) const;

    // The first attribute whose name equals `name` exactly (case-sensitive).
    bool HasAttribute(std::wstring_view name) const;
    // Empty when there is none.
    std::wstring_view GetAttributeValue(std::wstring_view name) const;
    // Copies at most `maxLength` characters of the value into `value`; false,
    // with `value` cleared, when there is no such attribute.
    bool GetAttributeValue(std::wstring_view name, std::size_t maxLength, std::wstring* value) const;

private:
    friend class MarkupDocument;

    // Offsets into the document's text.
    struct Attribute {
        std::size_t name;
        std::size_t value;
    };

    MarkupNode(const MarkupDocument* document, std::size_t element);

    // Fills the attribute cache on first use.
    void MapAttributes() const;
    const Attribute* FindAttribute(std::wstring_view name) const;
    std::wstring_view TextAt(std::size_t offset) const;

    const MarkupDocument* m_document = nullptr;
    std::size_t m_element = 0;
    mutable bool m_attributesMapped = false;
    mutable std::size_t m_attributeCount = 0;
    // Only the first m_attributeCount entries are ever set.
    mutable Attribute m_attributes[kMaxAttributes];
};
