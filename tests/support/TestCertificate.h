#pragma once
// Certificates made with the openssl command line for TLS tests: a test
// authority and a server certificate it signed, or a self-signed server
// certificate that no authority vouches for.

#include <string>
#include <vector>

class TestCertificate {
public:
    enum class Kind { kSignedByTestAuthority, kSelfSigned };

    // Writes the files into `folder`. `names` are the certificate's subject
    // alternative names: host names, or IP addresses.
    TestCertificate(const std::string& folder, Kind kind = Kind::kSignedByTestAuthority,
                    const std::vector<std::string>& names = {"localhost", "127.0.0.1"});

    // The authority to trust (for kSelfSigned, the certificate itself).
    const std::string& caFile() const { return caFile_; }
    const std::string& certificateFile() const { return certificateFile_; }
    const std::string& keyFile() const { return keyFile_; }

private:
    std::string caFile_;
    std::string certificateFile_;
    std::string keyFile_;
};
