#include "http_kit/FixedPortRelay.h"

#include <stdexcept>
#include <string>

#include "support/TestCertificate.h"
#include "support/TestFiles.h"

namespace {

const char kStreamModule[] = "/usr/lib/nginx/modules/ngx_stream_module.so";

}  // namespace

FixedPortRelay::FixedPortRelay(unsigned short listenPort, unsigned short targetPort,
                               const TestCertificate* certificate) {
    const std::string dir = folder_.path();
    std::string server = "    listen 127.0.0.1:" + std::to_string(listenPort) + (certificate ? " ssl" : "") + ";\n" +
                         "    proxy_pass 127.0.0.1:" + std::to_string(targetPort) + ";\n";
    if (certificate) {
        server += "    ssl_certificate " + certificate->certificateFile() + ";\n" + "    ssl_certificate_key " +
                  certificate->keyFile() + ";\n";
    }
    WriteFileText(dir + "/nginx.conf",
                  std::string("load_module ") + kStreamModule +
                      ";\ndaemon off;\nuser root;\nworker_processes 1;\npid " + dir + "/nginx.pid;\nerror_log " + dir +
                      "/error.log;\nevents { worker_connections 64; }\nstream {\n  server {\n" + server + "  }\n}\n");
    auto process = std::make_unique<ChildProcess>(
        std::vector<std::string>{"nginx", "-p", dir, "-e", dir + "/error.log", "-c", dir + "/nginx.conf"},
        dir + "/output.log");
    if (!WaitForPort(listenPort, *process)) {
        throw std::runtime_error("relay on port " + std::to_string(listenPort) +
                                 " did not start: " + ReadLog(folder_ / "error.log"));
    }
    process_ = std::move(process);
}

FixedPortRelay::~FixedPortRelay() {
    process_.reset();
}
