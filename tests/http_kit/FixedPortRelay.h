#pragma once
// nginx's stream proxy on 127.0.0.1 and a fixed port (80 or 443, for the
// clients that ignore the address's port), handing every connection's bytes
// to a server of the test on another port. With a certificate it ends TLS
// first, so the server behind it sees the plain request bytes. Stopped with
// the object.

#include <memory>

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

class TestCertificate;

class FixedPortRelay {
public:
    FixedPortRelay(unsigned short listenPort, unsigned short targetPort, const TestCertificate* certificate = nullptr);
    ~FixedPortRelay();

private:
    TempFolder folder_;
    std::unique_ptr<ChildProcess> process_;
};
