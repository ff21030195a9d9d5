#include "support/TinyproxyServer.h"

#include <stdexcept>

#include "support/TestFiles.h"

TinyproxyServer::TinyproxyServer(const std::string& username, const std::string& password) {
    for (int attempt = 0; attempt < 5 && !process_; ++attempt) {
        port_ = PickFreePort();
        std::string config = "Port " + std::to_string(port_) +
                             "\nListen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\nMaxClients 32\n"
                             "DisableViaHeader Yes\nLogLevel Info\n";
        if (!username.empty()) config += "BasicAuth " + username + " " + password + "\n";
        WriteFileText(folder_ / "tinyproxy.conf", config);
        auto process = std::make_unique<ChildProcess>(
            std::vector<std::string>{"tinyproxy", "-d", "-c", folder_ / "tinyproxy.conf"}, folder_ / "output.log");
        if (WaitForPort(port_, *process)) process_ = std::move(process);
    }
    if (!process_) throw std::runtime_error("tinyproxy did not start: " + Log());
}

TinyproxyServer::~TinyproxyServer() { process_.reset(); }

std::string TinyproxyServer::Log() const { return ReadLog(folder_ / "output.log"); }
