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
    //! The kind of value.
    enum Type {
        TypeInvalid = 0,  //!< no value
        TypeBoolean = 1,  //!< boolean
        TypeInt = 2,      //!< i4 / int
        TypeDouble = 3,   //!< double
        TypeString = 4,   //!< string
        TypeDateTime = 5, //!< dateTime.iso8601
        TypeBase64 = 6,   //!< base64 bytes
        TypeArray = 7,    //!< array
        TypeStruct = 8    //!< struct
    };

    typedef std::vector<unsigned char> BinaryData;          //!< the bytes of a base64 value
    typedef std::vector<XmlRpcValue> ValueArray;            //!< the elements of an array
    typedef std::map<std::string, XmlRpcValue> ValueStruct; //!< the members of a struct

    //! An invalid value.
    XmlRpcValue() noexcept;
    //! A boolean.
    XmlRpcValue(bool value) noexcept;
    //! An int.
    XmlRpcValue(int value) noexcept;
    //! A double.
    XmlRpcValue(double value) noexcept;
    //! A string.
    XmlRpcValue(const std::string &value);
    //! A string, taking the text.
    XmlRpcValue(std::string &&value);
    //! A string.
    XmlRpcValue(const char *value);
    //! A date and time.
    XmlRpcValue(const struct tm &value);
    //! Base64 bytes.
    XmlRpcValue(const BinaryData &value);
    //! Base64 bytes copied from data.
    XmlRpcValue(const void *data, int nBytes);
    //! An array without elements and a struct without members.
    static XmlRpcValue emptyArray();
    //! A struct without members.
    static XmlRpcValue emptyStruct();

    //! Parses one "value" element at *offset (see fromXml); invalid on failure.
    XmlRpcValue(const std::string &xml, int *offset);

    //! A deep copy.
    XmlRpcValue(const XmlRpcValue &other);
    //! Takes the other's value, leaving it invalid.
    XmlRpcValue(XmlRpcValue &&other) noexcept;
    //! Frees the value.
    ~XmlRpcValue();

    //! A deep copy.
    XmlRpcValue &operator=(const XmlRpcValue &other);
    //! Takes the other's value, leaving it invalid.
    XmlRpcValue &operator=(XmlRpcValue &&other) noexcept;
    //! Becomes a boolean.
    XmlRpcValue &operator=(bool value);
    //! Becomes an int.
    XmlRpcValue &operator=(int value);
    //! Becomes a double.
    XmlRpcValue &operator=(double value);
    //! Becomes a string.
    XmlRpcValue &operator=(const std::string &value);
    //! Becomes a string.
    XmlRpcValue &operator=(const char *value);

    //! Same kind and same content, deeply.
    bool operator==(const XmlRpcValue &other) const;
    //! Not operator==().
    bool operator!=(const XmlRpcValue &other) const { return !(*this == other); }

    //! Becomes invalid.
    void clear() noexcept { invalidate(); }
    //! Frees the content and becomes invalid.
    void invalidate() noexcept;

    //! The kind of value.
    Type getType() const noexcept { return m_type; }
    //! Not invalid.
    bool valid() const noexcept { return m_type != TypeInvalid; }

    //! Bytes of a string or base64 value, elements of an array, members of a
    //! struct; any other kind throws "type error".
    int size() const;
    //! Turns an invalid value into an array and grows it to at least n elements.
    void setSize(int n);

    // Typed access: the value must be of exactly that kind, else "type error".
    //! The boolean, writable.
    bool &asBool();
    //! The boolean.
    bool asBool() const;
    //! The int, writable.
    int &asInt();
    //! The int.
    int asInt() const;
    //! The double, writable.
    double &asDouble();
    //! The double.
    double asDouble() const;
    //! The string, writable.
    std::string &asString();
    //! The string.
    const std::string &asString() const;
    //! The date and time, writable.
    struct tm &asTime();
    //! The date and time.
    const struct tm &asTime() const;
    //! The bytes, writable.
    BinaryData &asBinary();
    //! The bytes.
    const BinaryData &asBinary() const;
    //! The elements of an array.
    const ValueArray &asArray() const;
    //! The members of a struct.
    const ValueStruct &asStruct() const;

    //! asBool().
    explicit operator bool &() { return asBool(); }
    //! asInt().
    explicit operator int &() { return asInt(); }
    //! asDouble().
    explicit operator double &() { return asDouble(); }
    //! asString().
    explicit operator std::string &() { return asString(); }
    //! asTime().
    explicit operator struct tm &() { return asTime(); }
    //! asBinary().
    explicit operator BinaryData &() { return asBinary(); }

    //! Read access: requires an array and an index below its size.
    const XmlRpcValue &operator[](int index) const;
    //! Write access: makes an array of an invalid value and grows it.
    XmlRpcValue &operator[](int index);

    //! Read access: requires a struct; a missing member reads as invalid.
    const XmlRpcValue &operator[](const std::string &name) const;
    //! The same with a C string.
    const XmlRpcValue &operator[](const char *name) const { return (*this)[std::string(name)]; }
    //! Write access: makes a struct of an invalid value, inserts a missing member.
    XmlRpcValue &operator[](const std::string &name);
    //! The same with a C string.
    XmlRpcValue &operator[](const char *name) { return (*this)[std::string(name)]; }

    //! A struct with that member.
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

    //! The printf format doubles are written with ("%f" by default).
    static const std::string &getDoubleFormat();
    //! Sets that format, process-wide; null restores "%f".
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
