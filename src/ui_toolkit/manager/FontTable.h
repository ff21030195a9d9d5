#pragma once
// The fonts of one manager by id, the process-wide shared ones, and the
// default font. An entry keeps its address until its table is emptied (adding
// an id again rewrites the entry in place), so a paint may hold pointers.

#include <map>
#include <string>
#include <string_view>

#include "ui_toolkit/render/FontEntry.h"

class FontTable {
public:
    // Replaces an entry with the same id in the same table.
    const FontEntry* Add(int id, const FontEntry& font, bool shared);
    // Own table, then the shared one; null when neither has `id` or it is
    // negative.
    const FontEntry* Find(int id) const;
    // The first entry, own table then shared, with exactly this description;
    // null when there is none.
    const FontEntry* FindByStyle(std::wstring_view face, int size, bool bold, bool underline, bool italic) const;
    // The manager's own default font when set, else the process default: the
    // system's interface font, resolved once per process.
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
