#pragma once
// nginx serving a folder on 127.0.0.1 for a test (range requests and
// keep-alive as nginx does them), stopped with the object. Its
// configuration, pid file and logs live in a temporary folder of its own.

#include <memory>
#include <string>

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

class TestCertificate;

class NginxServer {
public:
    // Plain HTTP, or HTTPS with `certificate` when given; `tlsProtocols`
    // (nginx's ssl_protocols, e.g. "TLSv1.3") narrows the TLS versions.
    explicit NginxServer(const std::string& root, const TestCertificate* certificate = nullptr,
                         const std::string& tlsProtocols = "");
    ~NginxServer();

    unsigned short port() const { return port_; }
    // "<scheme>://<host>:<port><path>"; the host defaults to 127.0.0.1.
    std::string Url(const std::string& path, const std::string& host = "127.0.0.1") const;

private:
    TempFolder folder_;
    bool tls_;
    unsigned short port_ = 0;
    std::unique_ptr<ChildProcess> process_;
};
