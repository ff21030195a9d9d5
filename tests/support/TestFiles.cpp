#include "support/TestFiles.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileText(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::string Utf16LeWithBom(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        auto unit = [&](unsigned value) {
            bytes.push_back(static_cast<char>(value & 0xFF));
            bytes.push_back(static_cast<char>(value >> 8));
        };
        const unsigned code = static_cast<unsigned>(c);
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return bytes;
}

int RunCommand(const std::string& commandLine) {
    const int status = std::system(commandLine.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::string BuildFolder() {
    const char* folder = std::getenv("ZD_TEST_BIN_DIR");
    return folder ? folder : ".";
}
