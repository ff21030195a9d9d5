#pragma once

#include <string>

// The body of a GET of the address through the request object (TLS on 443
// with full certificate checks, else plain on 80), whatever the status; what
// arrived before a failed read; empty when no answer came.
std::string HttpGetString(const std::wstring& url);
