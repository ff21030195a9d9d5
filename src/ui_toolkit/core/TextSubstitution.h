#pragma once
// Process-wide numbered texts (the skin's MultiLanguage elements) and their
// substitution into every text the toolkit draws or shows as a tooltip: each
// token "%{n}" with decimal n becomes text number n when there is one.
// Other '%' sequences, such as "%0", stay as they are.

#include <string>
#include <string_view>

void SetMultiLanguageText(int id, std::wstring_view text);
// Null when there is no text `id`.
const std::wstring* GetMultiLanguageText(int id);
void RemoveAllMultiLanguageTexts();

std::wstring SubstituteTexts(std::wstring_view text);
