#pragma once
// A SOCKS server (dante's danted) on 127.0.0.1 for a test, speaking SOCKS 4
// and SOCKS 5, stopped with the object. With a user name and password it
// accepts only SOCKS 5 clients that log in as that system user.

#include <memory>
#include <string>

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

class SocksServer {
public:
    enum class Authentication { kNone, kUsername };

    explicit SocksServer(Authentication authentication = Authentication::kNone);
    ~SocksServer();

    unsigned short port() const { return port_; }
    std::string Log() const;

    // danted checks user names against the system's accounts: this makes
    // (once, and keeps) an account without a login shell or home for that.
    static void EnsureUser(const std::string& username, const std::string& password);

private:
    TempFolder folder_;
    unsigned short port_ = 0;
    std::unique_ptr<ChildProcess> process_;
};
