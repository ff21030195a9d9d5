#include "platform/SystemInfo.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sys/utsname.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr std::uint16_t kEnglishUnitedStates = 1033;

struct LanguageId {
    const char* language;
    std::uint16_t id;
};

struct RegionId {
    const char* language;
    const char* country;
    std::uint16_t id;
};

// The id a language gets when its country is absent or has no id of its own:
// that of the country where the language is mainly used.
constexpr LanguageId kLanguages[] = {
    {"ar", 1025}, {"bg", 1026}, {"ca", 1027}, {"zh", 2052}, {"cs", 1029},
    {"da", 1030}, {"de", 1031}, {"el", 1032}, {"en", 1033}, {"es", 3082},
    {"fi", 1035}, {"fr", 1036}, {"he", 1037}, {"hu", 1038}, {"is", 1039},
    {"it", 1040}, {"ja", 1041}, {"ko", 1042}, {"nl", 1043}, {"nb", 1044},
    {"no", 1044}, {"pl", 1045}, {"pt", 1046}, {"ro", 1048}, {"ru", 1049},
    {"hr", 1050}, {"sk", 1051}, {"sq", 1052}, {"sv", 1053}, {"th", 1054},
    {"tr", 1055}, {"ur", 1056}, {"id", 1057}, {"uk", 1058}, {"be", 1059},
    {"sl", 1060}, {"et", 1061}, {"lv", 1062}, {"lt", 1063}, {"fa", 1065},
    {"vi", 1066}, {"hy", 1067}, {"eu", 1069}, {"mk", 1071}, {"ka", 1079},
    {"hi", 1081}, {"ms", 1086}, {"kk", 1087}, {"gl", 1110}, {"nn", 2068},
};

// Countries whose variant of a language has an id of its own. Arabic has
// none here: every Arabic locale shares 1025.
constexpr RegionId kRegions[] = {
    {"zh", "TW", 1028},   {"zh", "HK", 3076},   {"zh", "SG", 4100},   {"zh", "MO", 5124},
    {"en", "GB", 2057},   {"en", "AU", 3081},   {"en", "CA", 4105},   {"en", "NZ", 5129},
    {"en", "IE", 6153},   {"en", "ZA", 7177},   {"en", "PH", 13321},  {"en", "IN", 16393},
    {"en", "SG", 18441},  {"de", "CH", 2055},   {"de", "AT", 3079},   {"de", "LU", 4103},
    {"de", "LI", 5127},   {"fr", "BE", 2060},   {"fr", "CA", 3084},   {"fr", "CH", 4108},
    {"fr", "LU", 5132},   {"fr", "MC", 6156},   {"it", "CH", 2064},   {"nl", "BE", 2067},
    {"pt", "PT", 2070},   {"sv", "FI", 2077},   {"es", "MX", 2058},   {"es", "GT", 4106},
    {"es", "CR", 5130},   {"es", "PA", 6154},   {"es", "DO", 7178},   {"es", "VE", 8202},
    {"es", "CO", 9226},   {"es", "PE", 10250},  {"es", "AR", 11274},  {"es", "EC", 12298},
    {"es", "CL", 13322},  {"es", "UY", 14346},  {"es", "PY", 15370},  {"es", "BO", 16394},
    {"es", "SV", 17418},  {"es", "HN", 18442},  {"es", "NI", 19466},  {"es", "PR", 20490},
    {"es", "US", 21514},
};

std::string ToLowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

std::string ToUpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Undoes the shell-style quoting os-release allows around a value.
std::string Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        const char quote = value.front();
        value = value.substr(1, value.size() - 2);
        if (quote == '\'') {
            return std::string(value);
        }
        std::string result;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                ++i;
            }
            result.push_back(value[i]);
        }
        return result;
    }
    return std::string(value);
}

}  // namespace

std::uint16_t LanguageIdOfLocale(std::string_view locale) {
    // language[_COUNTRY][.codeset][@modifier]
    locale = locale.substr(0, locale.find_first_of(".@"));
    const std::size_t separator = locale.find_first_of("_-");
    const std::string language = ToLowerAscii(locale.substr(0, separator));
    const std::string country =
        separator == std::string_view::npos ? "" : ToUpperAscii(locale.substr(separator + 1));

    for (const RegionId& region : kRegions) {
        if (language == region.language && country == region.country) {
            return region.id;
        }
    }
    for (const LanguageId& entry : kLanguages) {
        if (language == entry.language) {
            return entry.id;
        }
    }
    return kEnglishUnitedStates;
}

std::uint16_t UserUiLanguageId() {
    std::string locale = Environment("LANGUAGE");
    // LANGUAGE is a list of preferences; the first one decides.
    std::size_t start = 0;
    while (start < locale.size() && locale[start] == ':') {
        ++start;
    }
    locale = locale.substr(start, locale.find(':', start) - start);
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (!locale.empty()) {
            break;
        }
        locale = Environment(name);
    }
    return LanguageIdOfLocale(locale);
}

bool Is64BitMachineName(std::string_view machine) { return machine == "x86_64"; }

bool Is64BitMachine() {
    utsname system{};
    return uname(&system) == 0 && Is64BitMachineName(system.machine);
}

std::string OsProductNameOf(const std::string& osReleasePath) {
    std::ifstream file(osReleasePath);
    constexpr std::string_view kKey = "PRETTY_NAME=";
    std::string line;
    while (std::getline(file, line)) {
        if (line.compare(0, kKey.size(), kKey) == 0) {
            return Unquoted(std::string_view(line).substr(kKey.size()));
        }
    }
    return "";
}

std::string OsProductName() {
    // Systems without /etc/os-release keep the same file under /usr/lib.
    const char* path = access("/etc/os-release", F_OK) == 0 ? "/etc/os-release" : "/usr/lib/os-release";
    return OsProductNameOf(path);
}

}  // namespace platform
