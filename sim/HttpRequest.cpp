#include "HttpRequest.h"

#include <cctype>

namespace {

bool isTokenChar(unsigned char c)
{
    if (std::isalnum(c))
        return true;
    switch (c) {
    case '!': case '#': case '$': case '%': case '&': case '\'': case '*':
    case '+': case '-': case '.': case '^': case '_': case '`': case '|': case '~':
        return true;
    default:
        return false;
    }
}

bool isToken(const std::string &text)
{
    if (text.empty())
        return false;
    for (unsigned char c : text) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

} // namespace

bool HttpRequest::equalsIgnoreCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string HttpRequest::trimmed(const std::string &text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.substr(begin, end - begin);
}

bool HttpRequest::parseHead(const std::string &head, std::string *error)
{
    m_method.clear();
    m_target.clear();
    m_version.clear();
    m_headers.clear();

    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos <= head.size()) {
        size_t eol = head.find('\n', pos);
        if (eol == std::string::npos)
            eol = head.size();
        size_t end = eol;
        if (end > pos && head[end - 1] == '\r')
            --end;
        lines.emplace_back(head, pos, end - pos);
        pos = eol + 1;
    }

    // Request line: METHOD SP TARGET SP HTTP/1.x
    const std::string &requestLine = lines.front();
    const size_t sp1 = requestLine.find(' ');
    const size_t sp2 = sp1 == std::string::npos ? std::string::npos : requestLine.find(' ', sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos
        || requestLine.find(' ', sp2 + 1) != std::string::npos) {
        *error = "malformed request line";
        return false;
    }
    m_method = requestLine.substr(0, sp1);
    m_target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    m_version = requestLine.substr(sp2 + 1);
    if (!isToken(m_method) || m_target.empty()) {
        *error = "malformed request line";
        return false;
    }
    if (m_version != "HTTP/1.1" && m_version != "HTTP/1.0") {
        *error = "unsupported protocol version";
        return false;
    }

    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (line.empty())
            continue;
        if (line[0] == ' ' || line[0] == '\t') {
            *error = "folded header line";
            return false;
        }
        const size_t colon = line.find(':');
        if (colon == std::string::npos || !isToken(line.substr(0, colon))) {
            *error = "malformed header line";
            return false;
        }
        m_headers.emplace_back(line.substr(0, colon), trimmed(line.substr(colon + 1)));
    }
    return true;
}

size_t HttpRequest::findHeadEnd(std::string &buffer, size_t *separator)
{
    size_t lead = 0;
    while (lead < buffer.size() && (buffer[lead] == '\r' || buffer[lead] == '\n'))
        ++lead;
    buffer.erase(0, lead);
    const size_t crlf = buffer.find("\r\n\r\n");
    const size_t lf = buffer.find("\n\n");
    if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf)) {
        *separator = 4;
        return crlf;
    }
    if (lf != std::string::npos) {
        *separator = 2;
        return lf;
    }
    return std::string::npos;
}

int HttpRequest::check(size_t maxBody, size_t *contentLength, std::string *error) const
{
    if (m_method != "POST") {
        *error = "only POST is served";
        return 405;
    }
    if (hasHeader("Transfer-Encoding")) {
        *error = "transfer codings are not supported";
        return 501;
    }
    if (!hasHeader("Content-Length")) {
        *error = "Content-Length required";
        return 411;
    }
    if (!parseContentLength(headerValues("Content-Length"), contentLength)) {
        *error = "invalid Content-Length";
        return 400;
    }
    if (*contentLength > maxBody) {
        *error = "body too large";
        return 413;
    }
    return 0;
}

bool HttpRequest::parseContentLength(const std::vector<std::string> &values, size_t *length)
{
    bool have = false;
    size_t result = 0;
    for (const std::string &value : values) {
        if (value.empty() || value.size() > 12)
            return false;
        size_t parsed = 0;
        for (char c : value) {
            if (c < '0' || c > '9')
                return false;
            parsed = parsed * 10 + static_cast<size_t>(c - '0');
        }
        if (have && parsed != result)
            return false;
        result = parsed;
        have = true;
    }
    *length = result;
    return have;
}

bool HttpRequest::hasHeader(const std::string &name) const
{
    for (const auto &field : m_headers) {
        if (equalsIgnoreCase(field.first, name))
            return true;
    }
    return false;
}

std::string HttpRequest::header(const std::string &name) const
{
    for (const auto &field : m_headers) {
        if (equalsIgnoreCase(field.first, name))
            return field.second;
    }
    return std::string();
}

std::vector<std::string> HttpRequest::headerValues(const std::string &name) const
{
    std::vector<std::string> values;
    for (const auto &field : m_headers) {
        if (equalsIgnoreCase(field.first, name))
            values.push_back(field.second);
    }
    return values;
}

bool HttpRequest::headerHasToken(const std::string &name, const std::string &token) const
{
    for (const std::string &value : headerValues(name)) {
        size_t pos = 0;
        while (pos <= value.size()) {
            size_t comma = value.find(',', pos);
            if (comma == std::string::npos)
                comma = value.size();
            if (equalsIgnoreCase(trimmed(value.substr(pos, comma - pos)), token))
                return true;
            pos = comma + 1;
        }
    }
    return false;
}

bool HttpRequest::keepAlive() const
{
    if (headerHasToken("Connection", "close"))
        return false;
    if (m_version == "HTTP/1.0")
        return headerHasToken("Connection", "keep-alive");
    return true;
}
