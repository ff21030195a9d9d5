#include "download_engine/http_error.h"

#include <string>

namespace dlengine {

namespace {

const char* message_of(int code) {
    switch (code) {
    case 1: return "Malformed status line";
    case 2: return "Malformed response headers";
    case 10: return "invalid type requested from entry";
    case 11: return "Invalid chunked encoding";
    case 12: return "Invalid redirect address";
    case 100: return "Continue";
    case 101: return "Switching protocols";
    case 200: return "OK";
    case 201: return "Created";
    case 202: return "Accepted";
    case 203: return "Non-authoritative information";
    case 204: return "No content";
    case 205: return "Reset content";
    case 206: return "Partial content";
    case 300: return "Multiple choices";
    case 301: return "Moved permanently";
    case 302: return "Found";
    case 303: return "See other";
    case 304: return "Not modified";
    case 305: return "Use proxy";
    case 307: return "Temporary redirect";
    case 400: return "Bad request";
    case 401: return "Unauthorized";
    case 402: return "Payment required";
    case 403: return "Forbidden";
    case 404: return "Not found";
    case 405: return "Method not allowed";
    case 406: return "Not acceptable";
    case 407: return "Proxy authentication required";
    case 408: return "Request time-out";
    case 409: return "Conflict";
    case 410: return "Gone";
    case 411: return "Length required";
    case 412: return "Precondition failed";
    case 413: return "Request entity too large";
    case 414: return "Request URI too large";
    case 415: return "Unsupported media type";
    case 416: return "Requested range not satisfiable";
    case 417: return "Expectation failed";
    case 500: return "Internal server error";
    case 501: return "Not implemented";
    case 502: return "Bad gateway";
    case 503: return "Service unavailable";
    case 504: return "Gateway time-out";
    case 505: return "HTTP version not supported";
    case 1000: return "SOCKS unsupported version";
    case 1001: return "SOCKS username required";
    case 1002: return "SOCKS unsupported authentication version";
    case 1003: return "SOCKS authentication error";
    case 1004: return "SOCKS general failure";
    case 1005: return "SOCKS command not supported";
    case 1006:
    case 1007: return "SOCKS no identd running";
    case 1008: return "Fake continue";
    default: return "Unknown HTTP error";
    }
}

class category : public boost::system::error_category {
public:
    const char* name() const noexcept override { return "HTTP"; }
    std::string message(int code) const override { return message_of(code); }
};

}  // namespace

const boost::system::error_category& http_category() {
    static const category instance;
    return instance;
}

boost::system::error_code make_error_code(http_error e) {
    return boost::system::error_code(static_cast<int>(e), http_category());
}

boost::system::error_code make_status_error(int status) {
    return boost::system::error_code(status, http_category());
}

}  // namespace dlengine
