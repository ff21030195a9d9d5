#include "ui_toolkit/manager/FontTable.h"

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
    // The system's default interface font, as fontconfig resolves "Sans".
    static FontEntry font{L"Sans", 12, false, false, false};
    return font;
}
