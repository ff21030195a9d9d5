#pragma once
// The fonts of one manager by id, the process-wide shared ones, and the
// default font. An entry describes the font; the text renderer creates what
// it draws with from that description.

#include <map>
#include <string>
#include <string_view>

struct FontEntry {
    std::wstring face;
    int size = 0;  // character height in pixels
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

class FontTable {
public:
    // Replaces an entry with the same id in the same table.
    const FontEntry* Add(int id, const FontEntry& font, bool shared);
    // Own table, then the shared one; null when neither has `id` or it is
    // negative.
    const FontEntry* Find(int id) const;
    // The manager's own default font when set, else the process default.
    const FontEntry& GetDefault() const;
    void SetDefault(const FontEntry& font, bool shared);
    // Empties the own table and forgets the own default font.
    void RemoveAll();

private:
    static std::map<int, FontEntry>& Shared();
    static FontEntry& SharedDefault();

    std::map<int, FontEntry> m_fonts;
    bool m_hasDefault = false;
    FontEntry m_default;
};
