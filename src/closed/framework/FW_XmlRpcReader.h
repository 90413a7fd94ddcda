#ifndef FW_XMLRPCREADER_H
#define FW_XMLRPCREADER_H

#include "XmlRpcValue.h"

#include <QtCore/QString>

//! Reads the members of one XML-RPC struct and remembers whether every read
//! found a member of the expected kind. Used by the fromXmlRpcValue functions
//! of the configuration and formula classes; not part of the public API.
//! Required members must be present; optional ones may be missing (the
//! default is returned) but must have the right kind when present.
class FW_XmlRpcReader
{
public:
    explicit FW_XmlRpcReader(const XmlRpc::XmlRpcValue &value);

    bool ok() const { return m_ok; }
    //! Marks the whole read as failed (a check of the caller's own).
    void fail() { m_ok = false; }
    bool require(bool condition);

    int toInt(const char *name);
    int toInt(const char *name, int defaultValue);
    //! An int, or a double holding a whole number (64-bit values travel as doubles).
    qint64 toInt64(const char *name, qint64 defaultValue);
    //! A double or an int.
    double toDouble(const char *name);
    double toDouble(const char *name, double defaultValue);
    bool toBool(const char *name, bool defaultValue);
    //! A UTF-8 string.
    QString toString(const char *name);
    QString toString(const char *name, const QString &defaultValue);
    //! The member as an array (required); an empty array when it is not one.
    const XmlRpc::XmlRpcValue &array(const char *name);
    //! The member as an array when present; an empty array when missing.
    const XmlRpc::XmlRpcValue &optionalArray(const char *name);
    //! The member itself (required, any kind).
    const XmlRpc::XmlRpcValue &member(const char *name);

    //! An empty array value (the element count of a missing list).
    static const XmlRpc::XmlRpcValue &emptyArray();

private:
    const XmlRpc::XmlRpcValue *find(const char *name, bool required);

    const XmlRpc::XmlRpcValue &m_value;
    bool m_ok;
};

#endif // FW_XMLRPCREADER_H
