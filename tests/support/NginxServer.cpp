#include "support/NginxServer.h"

#include <stdexcept>

#include "support/TestCertificate.h"
#include "support/TestFiles.h"

NginxServer::NginxServer(const std::string& root, const TestCertificate* certificate, const std::string& tlsProtocols)
    : tls_(certificate != nullptr) {
    // A port picked as free may be taken before nginx binds it: try again.
    for (int attempt = 0; attempt < 5 && !process_; ++attempt) {
        port_ = PickFreePort();
        const std::string dir = folder_.path();
        std::string server = "    listen 127.0.0.1:" + std::to_string(port_) + (tls_ ? " ssl" : "") + ";\n" +
                             "    server_name localhost;\n    root " + root + ";\n";
        if (tls_) {
            server += "    ssl_certificate " + certificate->certificateFile() + ";\n" +
                      "    ssl_certificate_key " + certificate->keyFile() + ";\n";
            if (!tlsProtocols.empty()) server += "    ssl_protocols " + tlsProtocols + ";\n";
        }
        const std::string config =
            "daemon off;\nuser root;\nworker_processes 1;\npid " + dir + "/nginx.pid;\nerror_log " + dir +
            "/error.log;\nevents { worker_connections 64; }\nhttp {\n  access_log " + dir +
            "/access.log;\n  client_body_temp_path " + dir + "/body;\n  proxy_temp_path " + dir +
            "/proxy;\n  fastcgi_temp_path " + dir + "/fastcgi;\n  uwsgi_temp_path " + dir +
            "/uwsgi;\n  scgi_temp_path " + dir + "/scgi;\n  default_type application/octet-stream;\n"
            "  keepalive_requests 1000;\n  server {\n" + server + "  }\n}\n";
        WriteFileText(dir + "/nginx.conf", config);
        auto process = std::make_unique<ChildProcess>(
            std::vector<std::string>{"nginx", "-p", dir, "-e", dir + "/error.log", "-c", dir + "/nginx.conf"},
            dir + "/output.log");
        if (WaitForPort(port_, *process)) process_ = std::move(process);
    }
    if (!process_) throw std::runtime_error("nginx did not start: " + ReadLog(folder_ / "error.log"));
}

NginxServer::~NginxServer() { process_.reset(); }

std::string NginxServer::Url(const std::string& path, const std::string& host) const {
    return std::string(tls_ ? "https" : "http") + "://" + host + ":" + std::to_string(port_) + path;
}
