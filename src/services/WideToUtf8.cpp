#include "services/WideToUtf8.h"

#include "platform/TextConversion.h"

// The code page is UTF-8 here, so the way through it is one conversion.
std::string WideToUtf8(const std::wstring& text) {
    return platform::ToUtf8(text);
}
