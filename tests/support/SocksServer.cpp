#include "support/SocksServer.h"

#include <pwd.h>

#include <stdexcept>

#include "support/TestFiles.h"

SocksServer::SocksServer(Authentication authentication) {
    for (int attempt = 0; attempt < 5 && !process_; ++attempt) {
        port_ = PickFreePort();
        const std::string method = authentication == Authentication::kUsername ? "username" : "none";
        const std::string config = "logoutput: " + (folder_ / "danted.log") + "\ninternal: 127.0.0.1 port = " +
                                   std::to_string(port_) +
                                   "\nexternal: 127.0.0.1\nclientmethod: none\nsocksmethod: " + method +
                                   "\nuser.privileged: root\nuser.unprivileged: nobody\n"
                                   "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                                   "socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 command: connect }\n";
        WriteFileText(folder_ / "danted.conf", config);
        auto process = std::make_unique<ChildProcess>(
            std::vector<std::string>{"danted", "-f", folder_ / "danted.conf", "-p", folder_ / "danted.pid"},
            folder_ / "output.log");
        if (WaitForPort(port_, *process)) process_ = std::move(process);
    }
    if (!process_) throw std::runtime_error("danted did not start: " + Log() + ReadLog(folder_ / "output.log"));
}

SocksServer::~SocksServer() { process_.reset(); }

std::string SocksServer::Log() const { return ReadLog(folder_ / "danted.log"); }

void SocksServer::EnsureUser(const std::string& username, const std::string& password) {
    if (::getpwnam(username.c_str()) == nullptr) {
        // Two tests may race here; the loser's "already exists" is harmless.
        RunCommand("useradd --system --no-create-home --shell /usr/sbin/nologin '" + username + "' >/dev/null 2>&1");
    }
    if (RunCommand("echo '" + username + ":" + password + "' | chpasswd") != 0) {
        throw std::runtime_error("could not set the password of " + username);
    }
}
