#include "XmlRpcValue.h"

#include "XmlRpcException.h"
#include "XmlRpcUtil.h"

#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <ostream>
#include <sstream>
#include <system_error>

namespace XmlRpc {

namespace {

const char kTypeError[] = "type error";
const char kExpectedArray[] = "type error: expected an array";
const char kArrayRange[] = "range error: array index too large";
const char kExpectedStruct[] = "type error: expected a struct";

std::string &doubleFormat()
{
    static std::string format("%f");
    return format;
}

// Numbers on the wire never depend on the host application's locale.
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

const XmlRpcValue &invalidValue()
{
    static const XmlRpcValue value;
    return value;
}

// A double in the given printf format, in the C locale.
void appendDoubleFormatted(std::string &out, const char *format, double value)
{
    char buffer[256];
    const locale_t previous = uselocale(cLocale());
    int n = std::snprintf(buffer, sizeof buffer, format, value);
    std::string large;
    if (n >= static_cast<int>(sizeof buffer)) {
        large.resize(static_cast<size_t>(n) + 1);
        n = std::snprintf(&large[0], large.size(), format, value);
    }
    uselocale(previous);
    if (n > 0)
        out.append(large.empty() ? buffer : large.data(), static_cast<size_t>(n));
}

inline bool isDefaultDoubleFormat(const std::string &format)
{
    return format.size() == 2 && format[0] == '%' && format[1] == 'f';
}

// The longest "%f" text of a double: sign, 309 integer digits, point, six decimals.
const size_t kMaxFixedDouble = 1 + 309 + 1 + 6;

// Where the writer puts its text: most of it is short tags and numbers, so
// it is gathered in a buffer on the stack and handed to the string in large
// pieces. Long strings and binary data go to the string directly.
class XmlSink
{
public:
    static constexpr size_t kCapacity = 8192;
    //! Pieces up to this size are gathered; longer ones go to the string.
    static constexpr size_t kLongPiece = 1024;

    explicit XmlSink(std::string &out) : m_out(out), m_pos(m_buffer) {}
    XmlSink(const XmlSink &) = delete;
    XmlSink &operator=(const XmlSink &) = delete;

    //! Room for n (at most kCapacity) more characters; commit with advance().
    char *room(size_t n)
    {
        if (static_cast<size_t>(m_buffer + kCapacity - m_pos) < n)
            flush();
        return m_pos;
    }
    void advance(char *to) { m_pos = to; }

    template <size_t N>
    void literal(const char (&text)[N])
    {
        char *to = room(N - 1);
        std::memcpy(to, text, N - 1);
        m_pos = to + N - 1;
    }

    //! The string with everything gathered so far, to append to directly.
    std::string &out()
    {
        flush();
        return m_out;
    }

    void flush()
    {
        m_out.append(m_buffer, static_cast<size_t>(m_pos - m_buffer));
        m_pos = m_buffer;
    }

    //! Text with the five XML entities.
    void encoded(const std::string &raw)
    {
        const size_t length = raw.size();
        if (length > kLongPiece) {
            XmlRpcUtil::xmlEncodeAppend(out(), raw.data(), length);
            return;
        }
        char *to = room(length * 6); // "&quot;" is the longest replacement
        for (const char c : raw) {
            switch (c) {
            case '<': std::memcpy(to, "&lt;", 4); to += 4; break;
            case '>': std::memcpy(to, "&gt;", 4); to += 4; break;
            case '&': std::memcpy(to, "&amp;", 5); to += 5; break;
            case '\'': std::memcpy(to, "&apos;", 6); to += 6; break;
            case '"': std::memcpy(to, "&quot;", 6); to += 6; break;
            default: *to++ = c; break;
            }
        }
        m_pos = to;
    }

private:
    std::string &m_out;
    char *m_pos;
    char m_buffer[kCapacity];
};

// "%02d" of a value known to lie in 0..99.
inline char *twoDigits(char *to, int value)
{
    to[0] = static_cast<char>('0' + value / 10);
    to[1] = static_cast<char>('0' + value % 10);
    return to + 2;
}

// The date-time digits, at most 19 characters.
std::string formatTime(const struct tm &t)
{
    char buffer[80];
    const int n = std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d:%02d:%02d", t.tm_year + 1900,
                                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return std::string(buffer, static_cast<size_t>(n < 19 ? n : 19));
}

inline bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

// formatTime's text; the usual dates without printf.
void appendTime(XmlSink &sink, const struct tm &t)
{
    if (inRange(t.tm_year, -1900, 9999 - 1900) && inRange(t.tm_mon, -1, 98) && inRange(t.tm_mday, 0, 99)
        && inRange(t.tm_hour, 0, 99) && inRange(t.tm_min, 0, 99) && inRange(t.tm_sec, 0, 99)) {
        const int year = t.tm_year + 1900;
        char *to = twoDigits(sink.room(17), year / 100);
        to = twoDigits(to, year % 100);
        to = twoDigits(to, t.tm_mon + 1);
        to = twoDigits(to, t.tm_mday);
        *to++ = 'T';
        to = twoDigits(to, t.tm_hour);
        *to++ = ':';
        to = twoDigits(to, t.tm_min);
        *to++ = ':';
        to = twoDigits(to, t.tm_sec);
        sink.advance(to);
        return;
    }
    sink.out() += formatTime(t);
}

inline bool tmEqual(const struct tm &a, const struct tm &b)
{
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday
        && a.tm_hour == b.tm_hour && a.tm_min == b.tm_min && a.tm_sec == b.tm_sec;
}

} // namespace

XmlRpcValue::XmlRpcValue() noexcept : m_type(TypeInvalid)
{
    m_value.asArray = nullptr;
}

XmlRpcValue::XmlRpcValue(bool value) noexcept : m_type(TypeBoolean)
{
    m_value.asBool = value;
}

XmlRpcValue::XmlRpcValue(int value) noexcept : m_type(TypeInt)
{
    m_value.asInt = value;
}

XmlRpcValue::XmlRpcValue(double value) noexcept : m_type(TypeDouble)
{
    m_value.asDouble = value;
}

XmlRpcValue::XmlRpcValue(const std::string &value) : m_type(TypeString)
{
    m_value.asString = new std::string(value);
}

XmlRpcValue::XmlRpcValue(std::string &&value) : m_type(TypeString)
{
    m_value.asString = new std::string(std::move(value));
}

XmlRpcValue::XmlRpcValue(const char *value) : m_type(TypeString)
{
    m_value.asString = new std::string(value ? value : "");
}

XmlRpcValue::XmlRpcValue(const struct tm &value) : m_type(TypeDateTime)
{
    m_value.asTime = new struct tm(value);
}

XmlRpcValue::XmlRpcValue(const BinaryData &value) : m_type(TypeBase64)
{
    m_value.asBinary = new BinaryData(value);
}

XmlRpcValue::XmlRpcValue(const void *data, int nBytes) : m_type(TypeBase64)
{
    const unsigned char *bytes = static_cast<const unsigned char *>(data);
    m_value.asBinary = nBytes > 0 ? new BinaryData(bytes, bytes + nBytes) : new BinaryData();
}

XmlRpcValue XmlRpcValue::emptyArray()
{
    XmlRpcValue value;
    value.assertArray(0);
    return value;
}

XmlRpcValue XmlRpcValue::emptyStruct()
{
    XmlRpcValue value;
    value.assertStruct();
    return value;
}

XmlRpcValue::XmlRpcValue(const std::string &xml, int *offset) : m_type(TypeInvalid)
{
    m_value.asArray = nullptr;
    fromXml(xml, offset);
}

XmlRpcValue::XmlRpcValue(const XmlRpcValue &other) : m_type(TypeInvalid)
{
    m_value.asArray = nullptr;
    *this = other;
}

XmlRpcValue::XmlRpcValue(XmlRpcValue &&other) noexcept : m_type(other.m_type), m_value(other.m_value)
{
    other.m_type = TypeInvalid;
    other.m_value.asArray = nullptr;
}

XmlRpcValue::~XmlRpcValue()
{
    invalidate();
}

void XmlRpcValue::invalidate() noexcept
{
    switch (m_type) {
    case TypeString: delete m_value.asString; break;
    case TypeDateTime: delete m_value.asTime; break;
    case TypeBase64: delete m_value.asBinary; break;
    case TypeArray: delete m_value.asArray; break;
    case TypeStruct: delete m_value.asStruct; break;
    default: break;
    }
    m_type = TypeInvalid;
    m_value.asArray = nullptr;
}

XmlRpcValue &XmlRpcValue::operator=(const XmlRpcValue &other)
{
    if (this == &other)
        return *this;
    // Copy first: the other value may live inside this one.
    XmlRpcValue copy;
    switch (other.m_type) {
    case TypeString: copy.m_value.asString = new std::string(*other.m_value.asString); break;
    case TypeDateTime: copy.m_value.asTime = new struct tm(*other.m_value.asTime); break;
    case TypeBase64: copy.m_value.asBinary = new BinaryData(*other.m_value.asBinary); break;
    case TypeArray: copy.m_value.asArray = new ValueArray(*other.m_value.asArray); break;
    case TypeStruct: copy.m_value.asStruct = new ValueStruct(*other.m_value.asStruct); break;
    default: copy.m_value = other.m_value; break;
    }
    copy.m_type = other.m_type;
    return *this = std::move(copy);
}

XmlRpcValue &XmlRpcValue::operator=(XmlRpcValue &&other) noexcept
{
    if (this != &other) {
        invalidate();
        m_type = other.m_type;
        m_value = other.m_value;
        other.m_type = TypeInvalid;
        other.m_value.asArray = nullptr;
    }
    return *this;
}

XmlRpcValue &XmlRpcValue::operator=(bool value)
{
    invalidate();
    m_type = TypeBoolean;
    m_value.asBool = value;
    return *this;
}

XmlRpcValue &XmlRpcValue::operator=(int value)
{
    invalidate();
    m_type = TypeInt;
    m_value.asInt = value;
    return *this;
}

XmlRpcValue &XmlRpcValue::operator=(double value)
{
    invalidate();
    m_type = TypeDouble;
    m_value.asDouble = value;
    return *this;
}

XmlRpcValue &XmlRpcValue::operator=(const std::string &value)
{
    return *this = XmlRpcValue(value);
}

XmlRpcValue &XmlRpcValue::operator=(const char *value)
{
    return *this = XmlRpcValue(value);
}

bool XmlRpcValue::operator==(const XmlRpcValue &other) const
{
    if (m_type != other.m_type)
        return false;
    switch (m_type) {
    case TypeInvalid: return true;
    case TypeBoolean: return m_value.asBool == other.m_value.asBool;
    case TypeInt: return m_value.asInt == other.m_value.asInt;
    case TypeDouble: return m_value.asDouble == other.m_value.asDouble;
    case TypeString: return *m_value.asString == *other.m_value.asString;
    case TypeDateTime: return tmEqual(*m_value.asTime, *other.m_value.asTime);
    case TypeBase64: return *m_value.asBinary == *other.m_value.asBinary;
    case TypeArray: return *m_value.asArray == *other.m_value.asArray;
    case TypeStruct: return *m_value.asStruct == *other.m_value.asStruct;
    }
    return false;
}

void XmlRpcValue::assertType(Type t) const
{
    if (m_type != t)
        throw XmlRpcException(kTypeError);
}

void XmlRpcValue::assertArray(int size)
{
    if (m_type == TypeInvalid) {
        m_type = TypeArray;
        m_value.asArray = new ValueArray(static_cast<size_t>(size > 0 ? size : 0));
    } else if (m_type == TypeArray) {
        if (size > 0 && m_value.asArray->size() < static_cast<size_t>(size))
            m_value.asArray->resize(static_cast<size_t>(size));
    } else {
        throw XmlRpcException(kExpectedArray);
    }
}

void XmlRpcValue::assertStruct()
{
    if (m_type == TypeInvalid) {
        m_type = TypeStruct;
        m_value.asStruct = new ValueStruct();
    } else if (m_type != TypeStruct) {
        throw XmlRpcException(kExpectedStruct);
    }
}

int XmlRpcValue::size() const
{
    switch (m_type) {
    case TypeString: return static_cast<int>(m_value.asString->size());
    case TypeBase64: return static_cast<int>(m_value.asBinary->size());
    case TypeArray: return static_cast<int>(m_value.asArray->size());
    case TypeStruct: return static_cast<int>(m_value.asStruct->size());
    default: throw XmlRpcException(kTypeError);
    }
}

void XmlRpcValue::setSize(int n)
{
    assertArray(n);
}

bool &XmlRpcValue::asBool()
{
    assertType(TypeBoolean);
    return m_value.asBool;
}

bool XmlRpcValue::asBool() const
{
    assertType(TypeBoolean);
    return m_value.asBool;
}

int &XmlRpcValue::asInt()
{
    assertType(TypeInt);
    return m_value.asInt;
}

int XmlRpcValue::asInt() const
{
    assertType(TypeInt);
    return m_value.asInt;
}

double &XmlRpcValue::asDouble()
{
    assertType(TypeDouble);
    return m_value.asDouble;
}

double XmlRpcValue::asDouble() const
{
    assertType(TypeDouble);
    return m_value.asDouble;
}

std::string &XmlRpcValue::asString()
{
    assertType(TypeString);
    return *m_value.asString;
}

const std::string &XmlRpcValue::asString() const
{
    assertType(TypeString);
    return *m_value.asString;
}

struct tm &XmlRpcValue::asTime()
{
    assertType(TypeDateTime);
    return *m_value.asTime;
}

const struct tm &XmlRpcValue::asTime() const
{
    assertType(TypeDateTime);
    return *m_value.asTime;
}

XmlRpcValue::BinaryData &XmlRpcValue::asBinary()
{
    assertType(TypeBase64);
    return *m_value.asBinary;
}

const XmlRpcValue::BinaryData &XmlRpcValue::asBinary() const
{
    assertType(TypeBase64);
    return *m_value.asBinary;
}

const XmlRpcValue::ValueArray &XmlRpcValue::asArray() const
{
    if (m_type != TypeArray)
        throw XmlRpcException(kExpectedArray);
    return *m_value.asArray;
}

const XmlRpcValue::ValueStruct &XmlRpcValue::asStruct() const
{
    if (m_type != TypeStruct)
        throw XmlRpcException(kExpectedStruct);
    return *m_value.asStruct;
}

const XmlRpcValue &XmlRpcValue::operator[](int index) const
{
    if (m_type != TypeArray)
        throw XmlRpcException(kExpectedArray);
    if (index < 0 || static_cast<size_t>(index) >= m_value.asArray->size())
        throw XmlRpcException(kArrayRange);
    return (*m_value.asArray)[static_cast<size_t>(index)];
}

XmlRpcValue &XmlRpcValue::operator[](int index)
{
    if (index < 0) {
        if (m_type != TypeInvalid && m_type != TypeArray)
            throw XmlRpcException(kExpectedArray);
        throw XmlRpcException(kArrayRange);
    }
    assertArray(index + 1);
    return (*m_value.asArray)[static_cast<size_t>(index)];
}

const XmlRpcValue &XmlRpcValue::operator[](const std::string &name) const
{
    if (m_type != TypeStruct)
        throw XmlRpcException(kExpectedStruct);
    const auto it = m_value.asStruct->find(name);
    return it == m_value.asStruct->end() ? invalidValue() : it->second;
}

XmlRpcValue &XmlRpcValue::operator[](const std::string &name)
{
    assertStruct();
    return (*m_value.asStruct)[name];
}

bool XmlRpcValue::hasMember(const std::string &name) const
{
    return m_type == TypeStruct && m_value.asStruct->count(name) != 0;
}

const std::string &XmlRpcValue::getDoubleFormat()
{
    return doubleFormat();
}

void XmlRpcValue::setDoubleFormat(const char *format)
{
    doubleFormat() = format ? format : "%f";
}

// ---------------------------------------------------------------- writing

std::string XmlRpcValue::toXml() const
{
    std::string out;
    appendXml(out);
    return out;
}

void XmlRpcValue::appendXml(std::string &out) const
{
    // A local class shares the member function's access to the values.
    struct Writer
    {
        static void write(const XmlRpcValue &value, XmlSink &sink)
        {
            switch (value.m_type) {
            case TypeInvalid:
                return;
            case TypeBoolean:
                if (value.m_value.asBool)
                    sink.literal("<value><boolean>1</boolean></value>");
                else
                    sink.literal("<value><boolean>0</boolean></value>");
                return;
            case TypeInt: {
                sink.literal("<value><i4>");
                char *to = sink.room(11);
                sink.advance(std::to_chars(to, to + 11, value.m_value.asInt).ptr);
                sink.literal("</i4></value>");
                return;
            }
            case TypeDouble:
                sink.literal("<value><double>");
                writeDouble(value.m_value.asDouble, sink);
                sink.literal("</double></value>");
                return;
            case TypeString:
                sink.literal("<value>");
                sink.encoded(*value.m_value.asString);
                sink.literal("</value>");
                return;
            case TypeDateTime:
                sink.literal("<value><dateTime.iso8601>");
                appendTime(sink, *value.m_value.asTime);
                sink.literal("</dateTime.iso8601></value>");
                return;
            case TypeBase64: {
                sink.literal("<value><base64>");
                const BinaryData &data = *value.m_value.asBinary;
                std::string &text = sink.out();
                // Room for the closing tags as well: no copy of a long text.
                const size_t groups = (data.size() + 2) / 3;
                text.reserve(text.size() + groups * 4 + groups / 18 + sizeof "</base64></value>");
                XmlRpcUtil::base64Encode(text, data.data(), data.size(), true);
                sink.literal("</base64></value>");
                return;
            }
            case TypeArray:
                sink.literal("<value><array><data>");
                for (const XmlRpcValue &element : *value.m_value.asArray)
                    write(element, sink);
                sink.literal("</data></array></value>");
                return;
            case TypeStruct:
                sink.literal("<value><struct>");
                for (const auto &member : *value.m_value.asStruct) {
                    sink.literal("<member><name>");
                    sink.encoded(member.first);
                    sink.literal("</name>");
                    write(member.second, sink);
                    sink.literal("</member>");
                }
                sink.literal("</struct></value>");
                return;
            }
        }

        static void writeDouble(double d, XmlSink &sink)
        {
            const std::string &format = doubleFormat();
            if (isDefaultDoubleFormat(format)) {
                // Six decimals, the very text printf makes, without
                // switching locales.
                char *to = sink.room(kMaxFixedDouble);
                const auto result = std::to_chars(to, to + kMaxFixedDouble, d, std::chars_format::fixed, 6);
                if (result.ec == std::errc()) {
                    sink.advance(result.ptr);
                    return;
                }
            }
            appendDoubleFormatted(sink.out(), format.c_str(), d);
        }
    };

    XmlSink sink(out);
    Writer::write(*this, sink);
    sink.flush();
}

// ---------------------------------------------------------------- diagnostics

std::string XmlRpcValue::toText() const
{
    std::ostringstream os;
    os << *this;
    return os.str();
}

std::ostream &operator<<(std::ostream &os, const XmlRpcValue &value)
{
    switch (value.getType()) {
    case XmlRpcValue::TypeInvalid: os << "(invalid)"; break;
    case XmlRpcValue::TypeBoolean: os << (value.asBool() ? "true" : "false"); break;
    case XmlRpcValue::TypeInt: os << value.asInt(); break;
    case XmlRpcValue::TypeDouble: os << value.asDouble(); break;
    case XmlRpcValue::TypeString: os << '"' << value.asString() << '"'; break;
    case XmlRpcValue::TypeDateTime: {
        os << formatTime(value.asTime());
        break;
    }
    case XmlRpcValue::TypeBase64: os << "base64(" << value.size() << " bytes)"; break;
    case XmlRpcValue::TypeArray: {
        os << '[';
        bool first = true;
        for (const XmlRpcValue &element : value.asArray()) {
            os << (first ? "" : ", ") << element;
            first = false;
        }
        os << ']';
        break;
    }
    case XmlRpcValue::TypeStruct: {
        os << '{';
        bool first = true;
        for (const auto &member : value.asStruct()) {
            os << (first ? "" : ", ") << member.first << ": " << member.second;
            first = false;
        }
        os << '}';
        break;
    }
    }
    return os;
}

} // namespace XmlRpc
