#pragma once
// The tag syntax of marked-up text. A tag opens with '{' or '<', then one
// letter a-z, then a space, '}' or '>'; its argument runs from after that
// space to the next '}' or '>' (either closer ends either opener), or to the
// end of the text when none follows. "{/x}" and "</x>" close tag x. "<{>",
// "<}>", "{<}" and "{>}" stand for the bracket in their middle. Any other
// '{' or '<' is ordinary text.

#include <cstddef>
#include <string_view>

enum class HtmlTokenKind { kText, kEscape, kTag, kClosingTag };

struct HtmlToken {
    HtmlTokenKind kind = HtmlTokenKind::kText;
    // The tag's letter, or the character an escape stands for.
    wchar_t letter = 0;
    // A view into the text read; empty for closing tags and escapes.
    std::wstring_view argument;
    // Characters the token spans; 0 for ordinary text.
    std::size_t length = 0;
};

inline bool IsTagOpener(wchar_t c) {
    return c == L'{' || c == L'<';
}

// The token at `position`, which must be inside `text`.
HtmlToken ReadHtmlToken(std::wstring_view text, std::size_t position);
