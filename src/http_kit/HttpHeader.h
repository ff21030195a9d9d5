#pragma once
// The request header fields of one client, and the parser of a response head.
// Names compare as case-sensitive bytes, so the fields come out in byte order
// of their names; a name keeps the first value it was given.

#include <map>
#include <string>

class CHttpHeader {
public:
    // Ignored when either text is empty or the name is present.
    void SetField(const std::string& name, const std::string& value);
    // Sets the field whether or not it was present.
    void ReplaceField(const std::string& name, const std::string& value);
    // Exact match; empty when absent.
    std::string GetField(const std::string& name) const;

    // Adds the default fields, then one "name: value\r\n" line per field.
    std::string ToHeaderText();
    // "GET <path> <version>\r\n", the field lines, and the empty line.
    std::string ToRequestText();
    // `head` is the text before the empty line. The first line gives the
    // version (its first eight characters), the status code and its text;
    // the others are fields split at the first ": ". Always true.
    bool Parse(const std::string& head);

    void SetPath(const std::string& path) { m_path = path; }
    int GetStatusCode() const { return m_statusCode; }
    const std::string& GetVersion() const { return m_version; }
    const std::string& GetStatusText() const { return m_statusText; }

private:
    void AddDefaultFields();

    int m_statusCode = 0;
    std::string m_version;
    std::string m_statusText;
    std::string m_path;
    std::map<std::string, std::string> m_fields;
};
