#pragma once
// Splits an address into host, path and port. The port is 80, 443 after an
// "https://" (unless "http://" occurs too), or the number after the host's
// first ':' (0 when that is not a number); the path starts at the first '/'
// after the host, "/" when there is none. The clients use TLS exactly when
// the port is 443, whatever the scheme said.

#include <string>

void SplitHttpUrl(const std::wstring& url, std::wstring& host, std::wstring& path, int& port);
void SplitHttpUrl(const std::string& url, std::string& host, std::string& path, int& port);
