#include "ui_toolkit/markup/MarkupNode.h"

#include <algorithm>

#include "ui_toolkit/markup/MarkupDocument.h"

MarkupNode::MarkupNode(const MarkupDocument* document, std::size_t element)
    : m_document(element != 0 ? document : nullptr), m_element(element) {}

MarkupNode::MarkupNode(const MarkupNode& other)
    : m_document(other.m_document),
      m_element(other.m_element),
      m_attributesMapped(other.m_attributesMapped),
      m_attributeCount(other.m_attributeCount) {
    std::copy_n(other.m_attributes, other.m_attributeCount, m_attributes);
}

MarkupNode& MarkupNode::operator=(const MarkupNode& other) {
    if (this == &other) return *this;
    m_document = other.m_document;
    m_element = other.m_element;
    m_attributesMapped = other.m_attributesMapped;
    m_attributeCount = other.m_attributeCount;
    std::copy_n(other.m_attributes, other.m_attributeCount, m_attributes);
    return *this;
}

MarkupNode MarkupNode::GetParent() const {
    if (!IsValid()) return MarkupNode();
    return MarkupNode(m_document, m_document->m_elements[m_element].parent);
}

MarkupNode MarkupNode::GetSibling() const {
    if (!IsValid()) return MarkupNode();
    return MarkupNode(m_document, m_document->m_elements[m_element].next);
}

MarkupNode MarkupNode::GetChild() const {
    if (!IsValid()) return MarkupNode();
    return MarkupNode(m_document, m_document->m_elements[m_element].child);
}

bool MarkupNode::HasChildren() const {
    return IsValid() && m_document->m_elements[m_element].child != 0;
}

std::wstring_view MarkupNode::GetName() const {
    if (!IsValid()) return {};
    return TextAt(m_document->m_elements[m_element].name);
}

std::wstring_view MarkupNode::GetText() const {
    if (!IsValid()) return {};
    return TextAt(m_document->m_elements[m_element].text);
}

bool MarkupNode::HasAttributes() const {
    return GetAttributeCount() != 0;
}

std::size_t MarkupNode::GetAttributeCount() const {
    MapAttributes();
    return m_attributeCount;
}

std::wstring_view MarkupNode::GetAttributeName(std::size_t index) const {
    if (index >= GetAttributeCount()) return {};
    return TextAt(m_attributes[index].name);
}

std::wstring_view MarkupNode::GetAttributeValue(std::size_t index) const {
    if (index >= GetAttributeCount()) return {};
    return TextAt(m_attributes[index].value);
}

bool MarkupNode::HasAttribute(std::wstring_view name) const {
    return FindAttribute(name) != nullptr;
}

std::wstring_view MarkupNode::GetAttributeValue(std::wstring_view name) const {
    const Attribute* attribute = FindAttribute(name);
    if (attribute == nullptr) return {};
    return TextAt(attribute->value);
}

bool MarkupNode::GetAttributeValue(std::wstring_view name, std::size_t maxLength, std::wstring* value) const {
    const Attribute* attribute = FindAttribute(name);
    if (attribute == nullptr) {
        value->clear();
        return false;
    }
    value->assign(TextAt(attribute->value).substr(0, maxLength));
    return true;
}

const MarkupNode::Attribute* MarkupNode::FindAttribute(std::wstring_view name) const {
    const std::size_t count = GetAttributeCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (TextAt(m_attributes[i].name) == name) return &m_attributes[i];
    }
    return nullptr;
}

std::wstring_view MarkupNode::TextAt(std::size_t offset) const {
    return std::wstring_view(m_document->m_text.data() + offset);
}

void MarkupNode::MapAttributes() const {
    if (m_attributesMapped) return;
    m_attributesMapped = true;
    m_attributeCount = IsValid() ? m_document->MapAttributes(m_element, m_attributes) : 0;
}
