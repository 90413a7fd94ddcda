// Reading XmlRpcValue from XML-RPC text.

#include "XmlRpcValue.h"

#include "XmlRpcUtil.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace XmlRpc {

namespace {

// Numbers on the wire never depend on the host application's locale.
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// Where the text starting at pos ends: the next '<'; npos when there is none.
inline size_t textEnd(const std::string &xml, size_t pos)
{
    return xml.find('<', pos);
}

// A decimal whole number at *offset (leading blanks allowed); moves past it.
bool readLong(const std::string &xml, int *offset, long *value)
{
    const char *begin = xml.c_str() + *offset;
    char *end = nullptr;
    *value = std::strtol(begin, &end, 10);
    if (end == begin)
        return false;
    *offset += static_cast<int>(end - begin);
    return true;
}

bool readDouble(const std::string &xml, int *offset, double *value)
{
    const char *begin = xml.c_str() + *offset;
    char *end = nullptr;
    *value = strtod_l(begin, &end, cLocale());
    if (end == begin)
        return false;
    *offset += static_cast<int>(end - begin);
    return true;
}

// "YYYYMMDDTHH:MM:SS" up to the next tag.
bool readTime(const std::string &xml, int *offset, struct tm *t)
{
    const size_t begin = static_cast<size_t>(*offset);
    const size_t end = textEnd(xml, begin);
    if (end == std::string::npos)
        return false;
    const std::string text(xml, begin, end - begin);
    std::memset(t, 0, sizeof *t);
    if (std::sscanf(text.c_str(), "%4d%2d%2dT%2d:%2d:%2d", &t->tm_year, &t->tm_mon, &t->tm_mday, &t->tm_hour,
                    &t->tm_min, &t->tm_sec)
        != 6)
        return false;
    t->tm_year -= 1900;
    t->tm_mon -= 1;
    t->tm_isdst = -1;
    *offset = static_cast<int>(end);
    return true;
}

// The text from *offset up to the next tag, which *offset then points at.
bool readText(const std::string &xml, int *offset, const char **text, size_t *length)
{
    const size_t begin = static_cast<size_t>(*offset);
    const size_t end = textEnd(xml, begin);
    if (end == std::string::npos)
        return false;
    *text = xml.data() + begin;
    *length = end - begin;
    *offset = static_cast<int>(end);
    return true;
}

} // namespace

bool XmlRpcValue::fromXml(const std::string &xml, int *offset)
{
    return parseNested(xml, offset, 0);
}

bool XmlRpcValue::parseNested(const std::string &xml, int *offset, int depth)
{
    invalidate();
    const int start = *offset;
    if (!parseValue(xml, offset, depth)) {
        invalidate();
        *offset = start;
        return false;
    }
    return true;
}

bool XmlRpcValue::parseValue(const std::string &xml, int *offset, int depth)
{
    bool empty = false;
    if (!XmlRpcUtil::nextTagIs("value", xml, offset, &empty))
        return false;
    if (empty) {
        *this = XmlRpcValue(std::string());
        return true;
    }

    // An untyped value: the text up to "</value>" is a string.
    const size_t valueStart = static_cast<size_t>(*offset);
    int probe = *offset;
    if (XmlRpcUtil::nextTagIsEnd("value", xml, &probe)) {
        const size_t textLength = static_cast<size_t>(probe) - valueStart - 8; // "</value>"
        std::string text;
        XmlRpcUtil::xmlDecodeAppend(text, xml.data() + valueStart, textLength);
        *this = XmlRpcValue(std::move(text));
        *offset = probe;
        return true;
    }

    const char *closingTag = nullptr;
    if (!parseTyped(xml, offset, depth, &closingTag, &empty))
        return false;
    // A self-closing type element ("<i4/>") has no closing tag of its own.
    if (!empty && !XmlRpcUtil::nextTagIsEnd(closingTag, xml, offset))
        return false;
    return XmlRpcUtil::nextTagIsEnd("value", xml, offset);
}

bool XmlRpcValue::parseTyped(const std::string &xml, int *offset, int depth, const char **closingTag, bool *empty)
{
    if (XmlRpcUtil::nextTagIs("array", xml, offset, empty)) {
        *closingTag = "array";
        return !*empty && parseArray(xml, offset, depth);
    }
    if (XmlRpcUtil::nextTagIs("struct", xml, offset, empty)) {
        *closingTag = "struct";
        return !*empty && parseStruct(xml, offset, depth);
    }
    return parseText(xml, offset, closingTag, empty);
}

bool XmlRpcValue::parseText(const std::string &xml, int *offset, const char **closingTag, bool *empty)
{
    const char *text = nullptr;
    size_t length = 0;
    if (XmlRpcUtil::nextTagIs("boolean", xml, offset, empty)) {
        *closingTag = "boolean";
        long parsed = 0;
        if (!*empty && (!readLong(xml, offset, &parsed) || (parsed != 0 && parsed != 1)))
            return false;
        *this = parsed == 1;
    } else if ((*closingTag = XmlRpcUtil::nextTagIs("i4", xml, offset, empty)        ? "i4"
                              : XmlRpcUtil::nextTagIs("int", xml, offset, empty) ? "int"
                                                                                 : nullptr)) {
        long parsed = 0;
        if (!*empty && !readLong(xml, offset, &parsed))
            return false;
        *this = static_cast<int>(parsed);
    } else if (XmlRpcUtil::nextTagIs("double", xml, offset, empty)) {
        *closingTag = "double";
        double value = 0.0;
        if (!*empty && !readDouble(xml, offset, &value))
            return false;
        *this = value;
    } else if (XmlRpcUtil::nextTagIs("string", xml, offset, empty)) {
        *closingTag = "string";
        std::string decoded;
        if (!*empty) {
            if (!readText(xml, offset, &text, &length))
                return false;
            XmlRpcUtil::xmlDecodeAppend(decoded, text, length);
        }
        *this = XmlRpcValue(std::move(decoded));
    } else if (XmlRpcUtil::nextTagIs("dateTime.iso8601", xml, offset, empty)) {
        *closingTag = "dateTime.iso8601";
        struct tm t;
        if (*empty || !readTime(xml, offset, &t))
            return false;
        *this = XmlRpcValue(t);
    } else if (XmlRpcUtil::nextTagIs("base64", xml, offset, empty)) {
        *closingTag = "base64";
        BinaryData data;
        if (!*empty) {
            if (!readText(xml, offset, &text, &length))
                return false;
            XmlRpcUtil::base64Decode(text, length, data);
        }
        invalidate();
        m_type = TypeBase64;
        m_value.asBinary = new BinaryData(std::move(data));
    } else {
        return false;
    }
    return true;
}

// An array or a struct at this depth is one level more: the limit is checked
// before any element is read, so the recursion never goes past it.
bool XmlRpcValue::parseArray(const std::string &xml, int *offset, int depth)
{
    if (depth >= MaxNestingDepth)
        return false;
    bool emptyData = false;
    if (!XmlRpcUtil::nextTagIs("data", xml, offset, &emptyData))
        return false;
    setSize(0);
    if (!emptyData) {
        ValueArray &elements = *m_value.asArray;
        XmlRpcValue element;
        while (element.parseNested(xml, offset, depth + 1))
            elements.push_back(std::move(element));
        XmlRpcUtil::nextTagIsEnd("data", xml, offset);
    }
    return true;
}

bool XmlRpcValue::parseStruct(const std::string &xml, int *offset, int depth)
{
    if (depth >= MaxNestingDepth)
        return false;
    assertStruct();
    ValueStruct &members = *m_value.asStruct;
    bool emptyMember = false;
    std::string name;
    while (XmlRpcUtil::nextTagIs("member", xml, offset, &emptyMember)) {
        if (emptyMember)
            continue;
        if (!XmlRpcUtil::parseTag("name", xml, offset, name))
            return false;
        XmlRpcValue member;
        if (!member.parseNested(xml, offset, depth + 1) || !member.valid())
            return false;
        members.emplace(name, std::move(member));
        XmlRpcUtil::nextTagIsEnd("member", xml, offset);
    }
    return true;
}

} // namespace XmlRpc
