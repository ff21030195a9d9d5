#include "http_kit/WininetHttp.h"

#include "http_kit/FixedPortRelay.h"
#include "http_kit/HttpInterfaceError.h"
#include "platform/HttpSession.h"
#include "support/FaultServer.h"
#include "support/TempFolder.h"
#include "support/TestCertificate.h"

#include <gtest/gtest.h>

namespace {

// Only a bad certificate date would be overlooked by this client, so an
// authority nobody trusts stops the request.
TEST(WininetHttpSecureTest, Port443SpeaksTlsAndChecksTheCertificate) {
    FaultServer server{fault::Always(fault::Ok("secure answer"))};
    TempFolder folder;
    const TestCertificate certificate(folder.path());
    FixedPortRelay tls(443, server.port(), &certificate);

    CWininetHttp untrusting;
    EXPECT_EQ(untrusting.Request("http://127.0.0.1:443/api", 0, nullptr, nullptr), "");
    EXPECT_EQ(untrusting.GetErrorCode(), kHttpError_Send);
    EXPECT_EQ(server.Requests().size(), 0u);

    platform::SetHttpTrustedAuthorities(certificate.caFile());
    CWininetHttp trusting;
    EXPECT_EQ(trusting.Request("http://127.0.0.1:443/api", 0, nullptr, nullptr), "secure answer");
    platform::SetHttpTrustedAuthorities("");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].find("\r\nCache-Control: no-cache\r\n"), std::string::npos);
}

}  // namespace
