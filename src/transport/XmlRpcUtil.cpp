#include "XmlRpcUtil.h"

#include "XmlRpcErrorHandler.h"
#include "XmlRpcLogHandler.h"

#include <atomic>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace XmlRpc {

XmlRpcLogHandler::~XmlRpcLogHandler() = default;
XmlRpcErrorHandler::~XmlRpcErrorHandler() = default;

} // namespace XmlRpc

namespace {

std::atomic<int> s_verbosity{0};

class DefaultLogHandler : public XmlRpc::XmlRpcLogHandler
{
public:
    void log(int level, const char *msg) override
    {
        if (level <= s_verbosity.load(std::memory_order_relaxed))
            std::cout << msg << std::endl;
    }
};

class DefaultErrorHandler : public XmlRpc::XmlRpcErrorHandler
{
public:
    void error(const char *msg) override { std::cerr << msg << std::endl; }
};

DefaultLogHandler s_defaultLogHandler;
DefaultErrorHandler s_defaultErrorHandler;
std::atomic<XmlRpc::XmlRpcLogHandler *> s_logHandler{&s_defaultLogHandler};
std::atomic<XmlRpc::XmlRpcErrorHandler *> s_errorHandler{&s_defaultErrorHandler};

// Entities in table order: raw character and the name that follows '&'.
struct Entity
{
    char raw;
    const char *name;
    size_t length;
};
const Entity kEntities[] = {
    {'<', "lt;", 3}, {'>', "gt;", 3}, {'&', "amp;", 4}, {'\'', "apos;", 5}, {'"', "quot;", 5},
};

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

struct Base64Table
{
    signed char value[256];
    Base64Table()
    {
        std::memset(value, -1, sizeof value);
        for (int i = 0; i < 64; ++i)
            value[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<signed char>(i);
    }
};
const Base64Table kBase64Table;

inline bool matchAt(const std::string &xml, size_t pos, const char *text, size_t length)
{
    return pos + length <= xml.size() && std::memcmp(xml.data() + pos, text, length) == 0;
}

} // namespace

bool XmlRpcUtil::nextTagIs(const char *tag, const std::string &xml, int *offset, bool *emptyTag)
{
    if (*offset < 0 || static_cast<size_t>(*offset) >= xml.size())
        return false;
    size_t pos = static_cast<size_t>(*offset);
    const size_t n = xml.size();
    while (pos < n && std::isspace(static_cast<unsigned char>(xml[pos])))
        ++pos;
    const size_t tagLength = std::strlen(tag);
    if (pos >= n || xml[pos] != '<' || !matchAt(xml, pos + 1, tag, tagLength))
        return false;
    pos += 1 + tagLength;
    if (pos < n && xml[pos] == '>') {
        if (emptyTag)
            *emptyTag = false;
        *offset = static_cast<int>(pos + 1);
        return true;
    }
    while (pos < n && std::isspace(static_cast<unsigned char>(xml[pos])))
        ++pos;
    if (matchAt(xml, pos, "/>", 2)) {
        if (emptyTag)
            *emptyTag = true;
        *offset = static_cast<int>(pos + 2);
        return true;
    }
    return false;
}

bool XmlRpcUtil::nextTagIsEnd(const char *tag, const std::string &xml, int *offset)
{
    if (*offset < 0 || static_cast<size_t>(*offset) >= xml.size())
        return false;
    const size_t pos = xml.find('<', static_cast<size_t>(*offset));
    if (pos == std::string::npos)
        return false;
    const size_t tagLength = std::strlen(tag);
    if (!matchAt(xml, pos, "</", 2) || !matchAt(xml, pos + 2, tag, tagLength)
        || !matchAt(xml, pos + 2 + tagLength, ">", 1))
        return false;
    *offset = static_cast<int>(pos + 3 + tagLength);
    return true;
}

bool XmlRpcUtil::findTag(const char *tag, const std::string &xml, int *offset, bool *emptyTag)
{
    if (*offset < 0 || static_cast<size_t>(*offset) >= xml.size())
        return false;
    std::string open("<");
    open += tag;
    const size_t start = xml.find(open, static_cast<size_t>(*offset));
    if (start == std::string::npos)
        return false;
    const size_t close = xml.find('>', start + open.size());
    if (close == std::string::npos)
        return false;
    if (emptyTag)
        *emptyTag = xml[close - 1] == '/';
    *offset = static_cast<int>(close + 1);
    return true;
}

bool XmlRpcUtil::parseTag(const char *tag, const std::string &xml, int *offset, std::string &text)
{
    if (*offset < 0 || static_cast<size_t>(*offset) >= xml.size())
        return false;
    std::string open("<");
    open += tag;
    const size_t start = xml.find(open, static_cast<size_t>(*offset));
    if (start == std::string::npos)
        return false;
    const size_t close = xml.find('>', start + open.size());
    if (close == std::string::npos)
        return false;
    if (xml[close - 1] == '/') {
        text.clear();
        *offset = static_cast<int>(close + 1);
        return true;
    }
    std::string end("</");
    end += tag;
    end += '>';
    const size_t endPos = xml.find(end, close + 1);
    if (endPos == std::string::npos)
        return false;
    text.assign(xml, close + 1, endPos - close - 1);
    *offset = static_cast<int>(endPos + end.size());
    return true;
}

void XmlRpcUtil::xmlEncodeAppend(std::string &out, const char *raw, size_t length)
{
    size_t runStart = 0;
    for (size_t i = 0; i < length; ++i) {
        const char c = raw[i];
        if (c != '<' && c != '>' && c != '&' && c != '\'' && c != '"')
            continue;
        out.append(raw + runStart, i - runStart);
        for (const Entity &e : kEntities) {
            if (e.raw == c) {
                out += '&';
                out.append(e.name, e.length);
                break;
            }
        }
        runStart = i + 1;
    }
    out.append(raw + runStart, length - runStart);
}

std::string XmlRpcUtil::xmlEncode(const std::string &raw)
{
    std::string out;
    out.reserve(raw.size());
    xmlEncodeAppend(out, raw.data(), raw.size());
    return out;
}

void XmlRpcUtil::xmlDecodeAppend(std::string &out, const char *encoded, size_t length)
{
    const char *amp = static_cast<const char *>(std::memchr(encoded, '&', length));
    if (!amp) {
        out.append(encoded, length);
        return;
    }
    size_t runStart = 0;
    for (size_t i = static_cast<size_t>(amp - encoded); i < length; ++i) {
        if (encoded[i] != '&')
            continue;
        for (const Entity &e : kEntities) {
            if (i + 1 + e.length <= length && std::memcmp(encoded + i + 1, e.name, e.length) == 0) {
                out.append(encoded + runStart, i - runStart);
                out += e.raw;
                i += e.length;
                runStart = i + 1;
                break;
            }
        }
    }
    out.append(encoded + runStart, length - runStart);
}

std::string XmlRpcUtil::xmlDecode(const std::string &encoded)
{
    std::string out;
    out.reserve(encoded.size());
    xmlDecodeAppend(out, encoded.data(), encoded.size());
    return out;
}

void XmlRpcUtil::base64Encode(std::string &out, const unsigned char *data, size_t length, bool lineBreaks)
{
    const size_t groups = (length + 2) / 3;
    out.reserve(out.size() + groups * 4 + (lineBreaks ? groups / 18 + 1 : 0));
    int groupsOnLine = 0;
    size_t i = 0;
    char quad[4];
    while (i < length) {
        const size_t left = length - i;
        const unsigned b0 = data[i];
        const unsigned b1 = left > 1 ? data[i + 1] : 0;
        const unsigned b2 = left > 2 ? data[i + 2] : 0;
        quad[0] = kBase64Alphabet[b0 >> 2];
        quad[1] = kBase64Alphabet[((b0 & 0x03) << 4) | (b1 >> 4)];
        quad[2] = left > 1 ? kBase64Alphabet[((b1 & 0x0f) << 2) | (b2 >> 6)] : '=';
        quad[3] = left > 2 ? kBase64Alphabet[b2 & 0x3f] : '=';
        out.append(quad, 4);
        i += left > 2 ? 3 : left;
        if (lineBreaks && ++groupsOnLine == 18) {
            out += '\n';
            groupsOnLine = 0;
        }
    }
}

void XmlRpcUtil::base64Decode(const char *text, size_t length, std::vector<unsigned char> &out)
{
    out.reserve(out.size() + length / 4 * 3);
    unsigned accumulator = 0;
    int bits = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '=')
            break;
        const int v = kBase64Table.value[c];
        if (v < 0)
            continue;
        accumulator = (accumulator << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<unsigned char>((accumulator >> bits) & 0xff));
        }
    }
}

void XmlRpcUtil::log(int level, const char *format, ...)
{
    if (level > s_verbosity.load(std::memory_order_relaxed))
        return;
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (XmlRpc::XmlRpcLogHandler *handler = s_logHandler.load())
        handler->log(level, buffer);
}

void XmlRpcUtil::error(const char *format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (XmlRpc::XmlRpcErrorHandler *handler = s_errorHandler.load())
        handler->error(buffer);
}

int XmlRpcUtil::getVerbosity()
{
    return s_verbosity.load(std::memory_order_relaxed);
}

void XmlRpcUtil::setVerbosity(int level)
{
    s_verbosity.store(level, std::memory_order_relaxed);
}

XmlRpc::XmlRpcLogHandler *XmlRpcUtil::getLogHandler()
{
    return s_logHandler.load();
}

void XmlRpcUtil::setLogHandler(XmlRpc::XmlRpcLogHandler *handler)
{
    s_logHandler.store(handler);
}

XmlRpc::XmlRpcErrorHandler *XmlRpcUtil::getErrorHandler()
{
    return s_errorHandler.load();
}

void XmlRpcUtil::setErrorHandler(XmlRpc::XmlRpcErrorHandler *handler)
{
    s_errorHandler.store(handler);
}
