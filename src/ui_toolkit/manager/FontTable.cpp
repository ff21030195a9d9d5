#include "ui_toolkit/manager/FontTable.h"

#include "ui_toolkit/render/SystemFont.h"

const FontEntry* FontTable::Add(int id, const FontEntry& font, bool shared) {
    std::map<int, FontEntry>& table = shared ? Shared() : m_fonts;
    FontEntry& stored = table[id];
    stored = font;
    return &stored;
}

const FontEntry* FontTable::Find(int id) const {
    if (id < 0) return nullptr;
    auto found = m_fonts.find(id);
    if (found != m_fonts.end()) return &found->second;
    found = Shared().find(id);
    return found != Shared().end() ? &found->second : nullptr;
}

const FontEntry* FontTable::FindByStyle(std::wstring_view face, int size, bool bold, bool underline,
                                        bool italic) const {
    const std::map<int, FontEntry>* const tables[] = {&m_fonts, &Shared()};
    for (const std::map<int, FontEntry>* table : tables) {
        for (const auto& [id, font] : *table) {
            if (font.HasStyle(face, size, bold, underline, italic)) return &font;
        }
    }
    return nullptr;
}

const FontEntry& FontTable::GetDefault() const { return m_hasDefault ? m_default : SharedDefault(); }

void FontTable::SetDefault(const FontEntry& font, bool shared) {
    if (shared) {
        SharedDefault() = font;
        return;
    }
    m_default = font;
    m_hasDefault = true;
}

void FontTable::RemoveAll() {
    m_fonts.clear();
    m_hasDefault = false;
}

std::map<int, FontEntry>& FontTable::Shared() {
    static std::map<int, FontEntry> shared;
    return shared;
}

FontEntry& FontTable::SharedDefault() {
    static FontEntry font = GetSystemDefaultFont();
    return font;
}
