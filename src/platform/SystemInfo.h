#pragma once
// Stands for GetUserDefaultUILanguage, GetNativeSystemInfo and the registry's
// Windows product name.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The Windows language id of the user's interface language, read from
// LANGUAGE (a ':' list: its first entry), LC_ALL, LC_MESSAGES, LANG (first
// non-empty wins); 1033 when unset, "C" / "POSIX", or not a language Windows
// has an id for.
std::uint16_t UserUiLanguageId();

// The mapping behind UserUiLanguageId, for one locale name such as "pt_BR.UTF-8".
// A language alone, or with a country that has no id of its own, gets the id
// of the country where it is mainly used ("de" and "de_BE" give de_DE's 1031).
std::uint16_t LanguageIdOfLocale(std::string_view locale);

// True only for an x86_64 machine, as only AMD64 and IA-64 count as 64-bit.
bool Is64BitMachine();

// The rule behind Is64BitMachine, for one uname machine name such as "aarch64".
bool Is64BitMachineName(std::string_view machine);

// PRETTY_NAME of /etc/os-release (else /usr/lib/os-release); empty when absent.
std::string OsProductName();

// PRETTY_NAME of the given os-release file, unquoted; empty when absent.
std::string OsProductNameOf(const std::string& osReleasePath);

}  // namespace platform
