// TLS to nginx with certificates made for the test: verification on with the
// test authority, rejection of untrusted and mismatched certificates.
#include "download_engine/http_stream.h"

#include <gtest/gtest.h>

#include <boost/asio/ssl/error.hpp>

#include "download_engine/PeerFiles.h"
#include "download_engine/StreamTestSupport.h"
#include "support/FaultServer.h"
#include "support/NginxServer.h"
#include "support/TempFolder.h"
#include "support/TestCertificate.h"

namespace dlengine {
namespace {

using boost::system::error_code;

bool IsTlsFailure(const error_code& ec) {
    return ec.category() == boost::asio::error::get_ssl_category() || ec == boost::asio::ssl::error::stream_truncated;
}

class TlsTest : public ::testing::TestWithParam<Mode> {
protected:
    PeerFiles files_;
    TempFolder certificates_;
    StreamDriver driver_{GetParam()};
    http_stream& stream_ = driver_.stream();
};

TEST_P(TlsTest, TheTestAuthorityIsTrustedWithVerificationOn) {
    const TestCertificate certificate(certificates_.path());
    NginxServer nginx(files_.root(), &certificate);
    for (const char* host : {"localhost", "127.0.0.1"}) {
        SCOPED_TRACE(host);
        StreamDriver driver(GetParam());
        driver.stream().set_ca_file(certificate.caFile());
        const error_code ec = driver.Open(nginx.Url("/file.bin", host));
        ASSERT_FALSE(ec) << ec.message();
        EXPECT_EQ(driver.stream().content_length(), static_cast<std::int64_t>(files_.content().size()));
        EXPECT_EQ(driver.ReadAll(2048).body, files_.content());
    }
}

TEST_P(TlsTest, RangesOnAKeptAliveTlsConnection) {
    const TestCertificate certificate(certificates_.path());
    NginxServer nginx(files_.root(), &certificate);
    stream_.set_ca_file(certificate.caFile());
    request_opts options;
    options.insert("Connection", "keep-alive");
    options.insert("Range", "bytes=0-");
    stream_.set_request_options(options);
    ASSERT_FALSE(driver_.Open(nginx.Url("/file.bin", "localhost")));
    EXPECT_EQ(stream_.status_code(), 206);
    EXPECT_EQ(stream_.content_length(), static_cast<std::int64_t>(files_.content().size()));
    EXPECT_EQ(stream_.response_options().find("Connection"), std::optional<std::string>("keep-alive"));
    EXPECT_EQ(driver_.ReadAll(2048).body, files_.content());

    options.set("Range", "bytes=1000-1099");
    ASSERT_FALSE(driver_.Request(options));
    EXPECT_EQ(stream_.status_code(), 206);
    EXPECT_EQ(stream_.response_options().find("Content-Range"),
              std::optional<std::string>("bytes 1000-1099/" + std::to_string(files_.content().size())));
    std::string range(100, '\0');
    std::size_t got = 0;
    while (got < range.size()) {
        error_code ec;
        const std::size_t count = driver_.ReadSome(range.data() + got, range.size() - got, ec);
        ASSERT_FALSE(ec) << ec.message();
        ASSERT_GT(count, 0u);
        got += count;
    }
    EXPECT_EQ(range, files_.content().substr(1000, 100));
}

TEST_P(TlsTest, TheSystemStoreDoesNotKnowTheTestAuthority) {
    const TestCertificate certificate(certificates_.path());
    NginxServer nginx(files_.root(), &certificate);
    const error_code ec = driver_.Open(nginx.Url("/file.bin", "localhost"));
    EXPECT_TRUE(IsTlsFailure(ec)) << ec.message();
}

TEST_P(TlsTest, ASelfSignedCertificateIsRejectedWithVerificationAndAcceptedWithout) {
    const TestCertificate authority(certificates_.path());
    TempFolder selfSignedFolder;
    const TestCertificate selfSigned(selfSignedFolder.path(), TestCertificate::Kind::kSelfSigned);
    NginxServer nginx(files_.root(), &selfSigned);

    stream_.set_ca_file(authority.caFile());
    const error_code rejected = driver_.Open(nginx.Url("/file.bin", "localhost"));
    EXPECT_TRUE(IsTlsFailure(rejected)) << rejected.message();

    StreamDriver unchecked(GetParam());
    unchecked.stream().set_check_certificate(false);
    const error_code accepted = unchecked.Open(nginx.Url("/file.bin", "localhost"));
    ASSERT_FALSE(accepted) << accepted.message();
    EXPECT_EQ(unchecked.ReadAll(2048).body, files_.content());
}

TEST_P(TlsTest, ACertificateForAnotherNameIsRejectedWithVerification) {
    const TestCertificate certificate(certificates_.path(), TestCertificate::Kind::kSignedByTestAuthority,
                                      {"downloads.example"});
    NginxServer nginx(files_.root(), &certificate);
    for (const char* host : {"localhost", "127.0.0.1"}) {
        SCOPED_TRACE(host);
        StreamDriver driver(GetParam());
        driver.stream().set_ca_file(certificate.caFile());
        const error_code ec = driver.Open(nginx.Url("/file.bin", host));
        EXPECT_TRUE(IsTlsFailure(ec)) << ec.message();
    }
    StreamDriver unchecked(GetParam());
    unchecked.stream().set_check_certificate(false);
    EXPECT_FALSE(unchecked.Open(nginx.Url("/file.bin", "localhost")));
}

TEST_P(TlsTest, TheClientSpeaksTls12Only) {
    const TestCertificate certificate(certificates_.path());
    {
        NginxServer nginx(files_.root(), &certificate, "TLSv1.3");
        stream_.set_ca_file(certificate.caFile());
        const error_code ec = driver_.Open(nginx.Url("/file.bin", "localhost"));
        EXPECT_TRUE(IsTlsFailure(ec)) << ec.message();
    }
    NginxServer nginx(files_.root(), &certificate, "TLSv1.2");
    StreamDriver driver(GetParam());
    driver.stream().set_ca_file(certificate.caFile());
    EXPECT_FALSE(driver.Open(nginx.Url("/file.bin", "localhost")));
}

TEST_P(TlsTest, AMissingCaFileFailsTheOpen) {
    FaultServer server(fault::Always(""));
    stream_.set_ca_file(certificates_ / "missing.pem");
    const error_code ec = driver_.Open("https://127.0.0.1:" + std::to_string(server.port()) + "/");
    EXPECT_TRUE(ec);
    EXPECT_NE(ec, boost::asio::error::eof);
    EXPECT_TRUE(server.Requests().empty());
}

INSTANTIATE_TEST_SUITE_P(Forms, TlsTest, ::testing::Values(Mode::kBlocking, Mode::kAsync),
                         [](const ::testing::TestParamInfo<Mode>& info) { return ModeName(info.param); });

}  // namespace
}  // namespace dlengine
