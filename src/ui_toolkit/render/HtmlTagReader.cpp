#include "ui_toolkit/render/HtmlTagReader.h"

namespace {

bool IsTagLetter(wchar_t c) {
    return c >= L'a' && c <= L'z';
}
bool IsCloser(wchar_t c) {
    return c == L'}' || c == L'>';
}

}  // namespace

HtmlToken ReadHtmlToken(std::wstring_view text, std::size_t position) {
    HtmlToken token;
    const std::wstring_view rest = text.substr(position);
    if (rest.size() < 3 || !IsTagOpener(rest[0])) return token;
    const bool angleEscape = rest[0] == L'<' && rest[2] == L'>' && (rest[1] == L'{' || rest[1] == L'}');
    const bool braceEscape = rest[0] == L'{' && rest[2] == L'}' && (rest[1] == L'<' || rest[1] == L'>');
    if (angleEscape || braceEscape) {
        token.kind = HtmlTokenKind::kEscape;
        token.letter = rest[1];
        token.length = 3;
        return token;
    }
    if (rest[1] == L'/') {
        if (rest.size() >= 4 && IsTagLetter(rest[2]) && IsCloser(rest[3])) {
            token.kind = HtmlTokenKind::kClosingTag;
            token.letter = rest[2];
            token.length = 4;
        }
        return token;
    }
    if (!IsTagLetter(rest[1]) || !(rest[2] == L' ' || IsCloser(rest[2]))) return token;
    token.kind = HtmlTokenKind::kTag;
    token.letter = rest[1];
    const std::size_t argumentStart = rest[2] == L' ' ? 3 : 2;
    std::size_t closer = argumentStart;
    while (closer < rest.size() && !IsCloser(rest[closer])) ++closer;
    token.argument = rest.substr(argumentStart, closer - argumentStart);
    token.length = closer < rest.size() ? closer + 1 : closer;
    return token;
}
