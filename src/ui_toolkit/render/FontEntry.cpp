#include "ui_toolkit/render/FontEntry.h"

#include "ui_toolkit/render/FontFace.h"

const FontFace& FontEntry::GetFace() const {
    if (m_resolved == nullptr || !m_resolved->Describes(*this)) m_resolved = std::make_shared<const FontFace>(*this);
    return *m_resolved;
}

const FontMetrics& FontEntry::GetMetrics() const {
    return GetFace().GetMetrics();
}

bool FontEntry::HasStyle(std::wstring_view otherFace, int otherSize, bool otherBold, bool otherUnderline,
                         bool otherItalic) const {
    return face == otherFace && size == otherSize && bold == otherBold && underline == otherUnderline &&
           italic == otherItalic;
}
