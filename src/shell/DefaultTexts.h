#pragma once
// The built-in English texts, used for every key a language's text.ini lacks.

#include <map>
#include <string>

const std::map<std::wstring, std::wstring>& DefaultTexts();
