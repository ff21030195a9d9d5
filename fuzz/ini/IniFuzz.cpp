// Any bytes as an ini file: every section the file names is read.
#include "shell/IniFile.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const wchar_t* section : {L"Language", L"PRODUCT", L"URL", L"LANSTR", L""}) {
        for (const auto& [key, value] : ParseIniSection(bytes, section)) {
            if (key.size() + value.size() > bytes.size()) __builtin_trap();
        }
    }
    return 0;
}
