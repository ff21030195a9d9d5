#pragma once
// The --proxy argument: scheme://[user[:password]@]host:port with the schemes
// http, socks4, socks5.

#include <optional>
#include <string>

#include "download_engine/proxy_settings.h"

std::optional<dlengine::proxy_settings> ParseProxyArgument(const std::string& text);
