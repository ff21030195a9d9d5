#include "http_kit/SplitHttpUrl.h"

namespace {

template <typename Char>
void Split(const std::basic_string<Char>& url, std::basic_string<Char>& host, std::basic_string<Char>& path,
           int& port) {
    using Text = std::basic_string<Char>;
    static const Char kHttp[] = {'h', 't', 't', 'p', ':', '/', '/', 0};
    static const Char kHttps[] = {'h', 't', 't', 'p', 's', ':', '/', '/', 0};
    port = 80;
    Text rest = url;
    if (const auto at = url.find(kHttp); at != Text::npos) {
        rest = url.substr(at + 7);
    } else if (const auto secureAt = url.find(kHttps); secureAt != Text::npos) {
        port = 443;
        rest = url.substr(secureAt + 8);
    }
    const auto slash = rest.find(Char('/'));
    host = rest.substr(0, slash);
    path = slash == Text::npos ? Text(1, Char('/')) : rest.substr(slash);
    const auto colon = host.find(Char(':'));
    if (colon == Text::npos) return;
    // Leading digits only, so "8080x" is 8080; anything past 65535 stays
    // unusable rather than wrapping onto another port.
    long long number = 0;
    for (auto digit = colon + 1; digit < host.size() && host[digit] >= '0' && host[digit] <= '9'; ++digit) {
        if (number <= 65536) number = number * 10 + (host[digit] - '0');
    }
    port = static_cast<int>(number > 65536 ? 65536 : number);
    host.erase(colon);
}

}  // namespace

void SplitHttpUrl(const std::wstring& url, std::wstring& host, std::wstring& path, int& port) {
    Split(url, host, path, port);
}

void SplitHttpUrl(const std::string& url, std::string& host, std::string& path, int& port) {
    Split(url, host, path, port);
}
