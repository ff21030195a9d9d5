#include "support/TestCertificate.h"

#include <arpa/inet.h>

#include <stdexcept>

#include "support/TestFiles.h"

namespace {

bool IsAddress(const std::string& name) {
    unsigned char bytes[16];
    return inet_pton(AF_INET, name.c_str(), bytes) == 1 || inet_pton(AF_INET6, name.c_str(), bytes) == 1;
}

void Run(const std::string& commandLine) {
    if (RunCommand(commandLine + " >/dev/null 2>&1") != 0) throw std::runtime_error("failed: " + commandLine);
}

}  // namespace

TestCertificate::TestCertificate(const std::string& folder, Kind kind, const std::vector<std::string>& names) {
    std::string alternativeNames;
    for (const std::string& name : names) {
        if (!alternativeNames.empty()) alternativeNames += ",";
        alternativeNames += (IsAddress(name) ? "IP:" : "DNS:") + name;
    }
    const std::string subject = names.empty() ? "zd-test-server" : names.front();
    const std::string newKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    certificateFile_ = folder + "/server.pem";
    keyFile_ = folder + "/server.key";

    if (kind == Kind::kSelfSigned) {
        Run("openssl req -x509 " + newKey + " -days 2 -subj '/CN=" + subject + "' -keyout '" + keyFile_ +
            "' -out '" + certificateFile_ + "' -addext 'subjectAltName=" + alternativeNames + "'");
        caFile_ = certificateFile_;
        return;
    }

    caFile_ = folder + "/ca.pem";
    const std::string caKey = folder + "/ca.key";
    Run("openssl req -x509 " + newKey + " -days 2 -subj '/CN=zd test authority' -keyout '" + caKey + "' -out '" +
        caFile_ + "' -addext 'basicConstraints=critical,CA:TRUE' -addext 'keyUsage=critical,keyCertSign,cRLSign'");
    const std::string request = folder + "/server.csr";
    Run("openssl req " + newKey + " -subj '/CN=" + subject + "' -keyout '" + keyFile_ + "' -out '" + request + "'");
    const std::string extensions = folder + "/server.ext";
    WriteFileText(extensions, "basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=" +
                                  alternativeNames + "\n");
    Run("openssl x509 -req -days 2 -in '" + request + "' -CA '" + caFile_ + "' -CAkey '" + caKey +
        "' -CAcreateserial -out '" + certificateFile_ + "' -extfile '" + extensions + "'");
}
