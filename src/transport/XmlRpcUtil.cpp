#include "XmlRpcUtil.h"

#include "XmlRpcErrorHandler.h"
#include "XmlRpcLogHandler.h"

#include <atomic>
#include <cctype>
#include <cstdarg>
#include <cstdint>
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

// Each character's six bits already shifted to their place among the 24
// bits of a group of four. Characters outside the alphabet set the top
// byte instead, so one test tells whether all four belong to it.
struct Base64GroupTable
{
    static constexpr uint32_t kInvalid = 0xff000000u;
    uint32_t shifted[4][256];
    Base64GroupTable()
    {
        for (int position = 0; position < 4; ++position) {
            for (int c = 0; c < 256; ++c) {
                const int v = kBase64Table.value[c];
                shifted[position][c] = v < 0 ? kInvalid : static_cast<uint32_t>(v) << (18 - 6 * position);
            }
        }
    }
    uint32_t group(const unsigned char *text) const
    {
        return shifted[0][text[0]] | shifted[1][text[1]] | shifted[2][text[2]] | shifted[3][text[3]];
    }
};
const Base64GroupTable kBase64Groups;

// The two characters of every 12-bit half of a group of three bytes.
struct Base64PairTable
{
    uint16_t pair[4096]; // the first character at the lower address
    Base64PairTable()
    {
        for (int i = 0; i < 4096; ++i) {
            const char chars[2] = {kBase64Alphabet[i >> 6], kBase64Alphabet[i & 0x3f]};
            std::memcpy(&pair[i], chars, 2);
        }
    }
};
const Base64PairTable kBase64Pairs;

// Three bytes to four characters.
inline char *encodeGroup(char *to, const unsigned char *from)
{
    const unsigned bits = (static_cast<unsigned>(from[0]) << 16) | (static_cast<unsigned>(from[1]) << 8) | from[2];
    std::memcpy(to, &kBase64Pairs.pair[bits >> 12], 2);
    std::memcpy(to + 2, &kBase64Pairs.pair[bits & 0xfff], 2);
    return to + 4;
}

// Six bytes to eight characters; reads eight bytes from `from`.
inline char *encodeTwoGroups(char *to, const unsigned char *from)
{
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint64_t word;
    std::memcpy(&word, from, 8);
    const uint64_t bits = __builtin_bswap64(word) >> 16; // the six bytes, first one highest
    const uint64_t chars = static_cast<uint64_t>(kBase64Pairs.pair[(bits >> 36) & 0xfff])
        | static_cast<uint64_t>(kBase64Pairs.pair[(bits >> 24) & 0xfff]) << 16
        | static_cast<uint64_t>(kBase64Pairs.pair[(bits >> 12) & 0xfff]) << 32
        | static_cast<uint64_t>(kBase64Pairs.pair[bits & 0xfff]) << 48;
    std::memcpy(to, &chars, 8);
    return to + 8;
#else
    return encodeGroup(encodeGroup(to, from), from + 3);
#endif
}

// The characters that XML text must carry as entities.
struct XmlSpecialTable
{
    bool special[256];
    XmlSpecialTable()
    {
        std::memset(special, 0, sizeof special);
        for (const Entity &e : kEntities)
            special[static_cast<unsigned char>(e.raw)] = true;
    }
};
const XmlSpecialTable kXmlSpecial;

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
        if (!kXmlSpecial.special[static_cast<unsigned char>(c)])
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
    const size_t fullGroups = length / 3;
    const size_t tail = length % 3;
    const size_t groups = fullGroups + (tail ? 1 : 0);
    const size_t start = out.size();
    out.resize(start + groups * 4 + (lineBreaks ? groups / 18 : 0));
    char *to = &out[0] + start;
    const unsigned char *from = data;

    size_t groupsLeft = fullGroups;
    if (lineBreaks) {
        // Whole lines of 18 groups, each followed by a line feed; two groups
        // at a time while eight bytes are left to read.
        for (; groupsLeft >= 18; groupsLeft -= 18) {
            if (static_cast<size_t>(data + length - from) >= 56) {
                for (int k = 0; k < 9; ++k, from += 6)
                    to = encodeTwoGroups(to, from);
            } else {
                for (int k = 0; k < 18; ++k, from += 3)
                    to = encodeGroup(to, from);
            }
            *to++ = '\n';
        }
    }
    for (; groupsLeft >= 2 && static_cast<size_t>(data + length - from) >= 8; groupsLeft -= 2, from += 6)
        to = encodeTwoGroups(to, from);
    for (; groupsLeft > 0; --groupsLeft, from += 3)
        to = encodeGroup(to, from);

    if (tail) {
        const unsigned b0 = from[0];
        const unsigned b1 = tail > 1 ? from[1] : 0;
        to[0] = kBase64Alphabet[b0 >> 2];
        to[1] = kBase64Alphabet[((b0 & 0x03) << 4) | (b1 >> 4)];
        to[2] = tail > 1 ? kBase64Alphabet[(b1 & 0x0f) << 2] : '=';
        to[3] = '=';
        to += 4;
        // The last group completes a line of its own.
        if (lineBreaks && fullGroups % 18 == 17)
            *to++ = '\n';
    }
}

void XmlRpcUtil::base64Decode(const char *text, size_t length, std::vector<unsigned char> &out)
{
    // At most three bytes for every four characters; trimmed at the end.
    const size_t start = out.size();
    out.resize(start + length / 4 * 3 + 3);
    unsigned char *to = out.data() + start;
    const unsigned char *from = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *const end = from + length;
    // Bits not yet written out: always fewer than eight.
    unsigned accumulator = 0;
    int bits = 0;
    while (from < end) {
        if (bits == 0) {
            // The usual case: whole groups of four characters of the
            // alphabet, three bytes each, up to a line break or the end.
            while (end - from >= 4) {
                const uint32_t group = kBase64Groups.group(from);
                if (group & Base64GroupTable::kInvalid)
                    break;
                to[0] = static_cast<unsigned char>(group >> 16);
                to[1] = static_cast<unsigned char>(group >> 8);
                to[2] = static_cast<unsigned char>(group);
                to += 3;
                from += 4;
            }
        } else if (end - from >= 4) {
            // Four characters of the alphabet while part of a byte is pending.
            const uint32_t group = kBase64Groups.group(from);
            if (!(group & Base64GroupTable::kInvalid)) {
                const unsigned all = (accumulator << 24) | group;
                to[0] = static_cast<unsigned char>(all >> (bits + 16));
                to[1] = static_cast<unsigned char>(all >> (bits + 8));
                to[2] = static_cast<unsigned char>(all >> bits);
                to += 3;
                accumulator = all & ((1u << bits) - 1);
                from += 4;
                continue;
            }
        }
        if (from == end)
            break;
        // One character at a time: line breaks, other skipped characters, '='.
        const unsigned char c = *from++;
        if (c == '=')
            break;
        const int v = kBase64Table.value[c];
        if (v < 0)
            continue;
        accumulator = (accumulator << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            *to++ = static_cast<unsigned char>(accumulator >> bits);
            accumulator &= (1u << bits) - 1;
        }
    }
    out.resize(static_cast<size_t>(to - out.data()));
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
