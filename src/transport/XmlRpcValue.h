#ifndef XMLRPCVALUE_H
#define XMLRPCVALUE_H

#include "AXOCommGlobal.h"

#include <ctime>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace XmlRpc {

//! A dynamically typed XML-RPC value: the parameter and the result of every
//! call. Scalars are held inline, every other kind owns one heap object.
//! Copies are deep; a value is not synchronised.
class AXOCOMM_EXPORT XmlRpcValue
{
public:
    enum Type {
        TypeInvalid = 0,
        TypeBoolean = 1,
        TypeInt = 2,
        TypeDouble = 3,
        TypeString = 4,
        TypeDateTime = 5,
        TypeBase64 = 6,
        TypeArray = 7,
        TypeStruct = 8
    };

    typedef std::vector<unsigned char> BinaryData;
    typedef std::vector<XmlRpcValue> ValueArray;
    typedef std::map<std::string, XmlRpcValue> ValueStruct;

    XmlRpcValue() noexcept;
    XmlRpcValue(bool value) noexcept;
    XmlRpcValue(int value) noexcept;
    XmlRpcValue(double value) noexcept;
    XmlRpcValue(const std::string &value);
    XmlRpcValue(std::string &&value);
    XmlRpcValue(const char *value);
    XmlRpcValue(const struct tm &value);
    XmlRpcValue(const BinaryData &value);
    XmlRpcValue(const void *data, int nBytes);
    //! An array without elements and a struct without members.
    static XmlRpcValue emptyArray();
    static XmlRpcValue emptyStruct();

    //! Parses one "value" element at *offset (see fromXml); invalid on failure.
    XmlRpcValue(const std::string &xml, int *offset);

    XmlRpcValue(const XmlRpcValue &other);
    XmlRpcValue(XmlRpcValue &&other) noexcept;
    ~XmlRpcValue();

    XmlRpcValue &operator=(const XmlRpcValue &other);
    XmlRpcValue &operator=(XmlRpcValue &&other) noexcept;
    XmlRpcValue &operator=(bool value);
    XmlRpcValue &operator=(int value);
    XmlRpcValue &operator=(double value);
    XmlRpcValue &operator=(const std::string &value);
    XmlRpcValue &operator=(const char *value);

    bool operator==(const XmlRpcValue &other) const;
    bool operator!=(const XmlRpcValue &other) const { return !(*this == other); }

    void clear() noexcept { invalidate(); }
    void invalidate() noexcept;

    Type getType() const noexcept { return m_type; }
    bool valid() const noexcept { return m_type != TypeInvalid; }

    //! Bytes of a string or base64 value, elements of an array, members of a
    //! struct; any other kind throws "type error".
    int size() const;
    //! Turns an invalid value into an array and grows it to at least n elements.
    void setSize(int n);

    // Typed access: the value must be of exactly that kind, else "type error".
    bool &asBool();
    bool asBool() const;
    int &asInt();
    int asInt() const;
    double &asDouble();
    double asDouble() const;
    std::string &asString();
    const std::string &asString() const;
    struct tm &asTime();
    const struct tm &asTime() const;
    BinaryData &asBinary();
    const BinaryData &asBinary() const;
    const ValueArray &asArray() const;
    const ValueStruct &asStruct() const;

    explicit operator bool &() { return asBool(); }
    explicit operator int &() { return asInt(); }
    explicit operator double &() { return asDouble(); }
    explicit operator std::string &() { return asString(); }
    explicit operator struct tm &() { return asTime(); }
    explicit operator BinaryData &() { return asBinary(); }

    //! Read access: requires an array and an index below its size.
    const XmlRpcValue &operator[](int index) const;
    //! Write access: makes an array of an invalid value and grows it.
    XmlRpcValue &operator[](int index);

    //! Read access: requires a struct; a missing member reads as invalid.
    const XmlRpcValue &operator[](const std::string &name) const;
    const XmlRpcValue &operator[](const char *name) const { return (*this)[std::string(name)]; }
    //! Write access: makes a struct of an invalid value, inserts a missing member.
    XmlRpcValue &operator[](const std::string &name);
    XmlRpcValue &operator[](const char *name) { return (*this)[std::string(name)]; }

    bool hasMember(const std::string &name) const;

    //! The value's XML-RPC text ("<value>...</value>"); empty for an invalid value.
    std::string toXml() const;
    //! Appends the XML-RPC text to out (no temporary strings).
    void appendXml(std::string &out) const;
    //! Parses one "value" element starting at *offset and moves *offset past
    //! it. On failure returns false, restores *offset and leaves the value
    //! invalid. Arrays and structs nested deeper than MaxNestingDepth fail
    //! like any other malformed value.
    bool fromXml(const std::string &xml, int *offset);

    //! How many arrays and structs a parsed value may hold inside one
    //! another: a value of exactly this depth parses, one level more does not.
    static constexpr int MaxNestingDepth = 256;

    //! A readable one-line form for diagnostics.
    std::string toText() const;

    static const std::string &getDoubleFormat();
    static void setDoubleFormat(const char *format);

private:
    // Reading; depth counts the arrays and structs around the value.
    bool parseNested(const std::string &xml, int *offset, int depth);
    bool parseValue(const std::string &xml, int *offset, int depth);
    bool parseTyped(const std::string &xml, int *offset, int depth, const char **closingTag, bool *empty);
    bool parseText(const std::string &xml, int *offset, const char **closingTag, bool *empty);
    bool parseArray(const std::string &xml, int *offset, int depth);
    bool parseStruct(const std::string &xml, int *offset, int depth);
    void assertType(Type t) const;
    void assertArray(int size);
    void assertStruct();

    Type m_type;
    union {
        bool asBool;
        int asInt;
        double asDouble;
        std::string *asString;
        struct tm *asTime;
        BinaryData *asBinary;
        ValueArray *asArray;
        ValueStruct *asStruct;
    } m_value;
};

AXOCOMM_EXPORT std::ostream &operator<<(std::ostream &os, const XmlRpcValue &value);

} // namespace XmlRpc

#endif // XMLRPCVALUE_H
