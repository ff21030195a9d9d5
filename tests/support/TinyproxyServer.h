#pragma once
// tinyproxy on 127.0.0.1 for a test: forwards "http" requests and opens
// CONNECT tunnels, optionally only for a user name and password. Stopped
// with the object.

#include <memory>
#include <string>

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

class TinyproxyServer {
public:
    // Without a user name no authentication is asked for.
    explicit TinyproxyServer(const std::string& username = "", const std::string& password = "");
    ~TinyproxyServer();

    unsigned short port() const { return port_; }
    // What tinyproxy wrote about the requests it handled.
    std::string Log() const;

private:
    TempFolder folder_;
    unsigned short port_ = 0;
    std::unique_ptr<ChildProcess> process_;
};
