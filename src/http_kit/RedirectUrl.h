#pragma once
// Asks `host` once, on port 80 over plain HTTP whatever scheme the address
// had, for "/" + `path`, without following redirects. A 302 answer replaces
// `url` with its Location text, unresolved, and gives true; so does a request
// that was sent but got no answer, with `url` left as it was (logged). Any
// other status, or a failure before the request went out, gives false.
// Blocks the calling thread.

#include <string>

bool GetRedirectUrl(const std::wstring& host, const std::wstring& path, std::wstring& url);
