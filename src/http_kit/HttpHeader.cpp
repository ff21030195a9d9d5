#include "http_kit/HttpHeader.h"

#include <cstdlib>

namespace {

const char kDefaultUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/80.0.4044.92 "
    "Safari/537.36";

}  // namespace

void CHttpHeader::SetField(const std::string& name, const std::string& value) {
    if (name.empty() || value.empty()) return;
    m_fields.emplace(name, value);
}

void CHttpHeader::ReplaceField(const std::string& name, const std::string& value) {
    if (name.empty() || value.empty()) return;
    m_fields[name] = value;
}

std::string CHttpHeader::GetField(const std::string& name) const {
    const auto found = m_fields.find(name);
    return found == m_fields.end() ? std::string() : found->second;
}

void CHttpHeader::AddDefaultFields() {
    SetField("User-Agent", kDefaultUserAgent);
    SetField("Accept", "*/*");
    SetField("Connection", "Keep-Alive");
    SetField("Accept-Language", "zh-CN,zh;q=0.9");
}

std::string CHttpHeader::ToHeaderText() {
    AddDefaultFields();
    std::string text;
    for (const auto& [name, value] : m_fields) text += name + ": " + value + "\r\n";
    return text;
}

std::string CHttpHeader::ToRequestText() {
    const std::string fields = ToHeaderText();
    if (m_version.empty()) m_version = "HTTP/1.1";
    return "GET " + m_path + " " + m_version + "\r\n" + fields + "\r\n";
}

bool CHttpHeader::Parse(const std::string& head) {
    std::string::size_type lineEnd = head.find("\r\n");
    const std::string first = head.substr(0, lineEnd);
    m_version = first.substr(0, 8);
    const auto space = first.find(' ');
    if (space != std::string::npos) {
        m_statusCode = std::atoi(first.c_str() + space + 1);
        const auto second = first.find(' ', space + 1);
        m_statusText = second == std::string::npos ? std::string() : first.substr(second + 1);
    }
    while (lineEnd != std::string::npos) {
        const auto start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string line = head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        const auto separator = line.find(": ");
        if (separator != std::string::npos) SetField(line.substr(0, separator), line.substr(separator + 2));
    }
    return true;
}
