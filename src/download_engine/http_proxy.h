#pragma once
// What an HTTP proxy needs from a stream: credentials and the CONNECT
// request that opens a tunnel for an "https" target.

#include <string>

#include "download_engine/proxy_settings.h"
#include "download_engine/request_opts.h"
#include "download_engine/url.h"

namespace dlengine {

extern const char* const default_accept;
extern const char* const default_user_agent;

std::string base64_encode(const std::string& bytes);

// True for proxy types 4 and 5.
bool is_http_proxy(const proxy_settings& proxy);

// The "Proxy-Authorization" value, "Basic " and the Base64 text of
// "user:password" (type 5) or of the URL's user information (type 4); ""
// when there is nothing to send.
std::string proxy_authorization(const proxy_settings& proxy, const url& target);

// "CONNECT host:port HTTP/1.1", Host, Proxy-Authorization when there are
// credentials, Accept and User-Agent (the options' values or the defaults),
// the empty line.
std::string connect_request(const url& target, const proxy_settings& proxy, const request_opts& options);

}  // namespace dlengine
