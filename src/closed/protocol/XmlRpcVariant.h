#ifndef XMLRPCVARIANT_H
#define XMLRPCVARIANT_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QVariant>

#include <functional>

//! Conversion between command parameters (QVariant) and XML-RPC values.
//! Built-in: bool, int (and the other integer types that fit), double,
//! QString, QByteArray (base64), QDateTime, QVariantList, QStringList,
//! QVariantMap, QVariantHash. Value classes convert through a registered writer, e.g.
//! registerType<MachineID>() for a class with toXmlRpcValue().
class AXOCOMM_EXPORT XmlRpcVariant
{
public:
    //! Writes a QVariant of a value class as an XML-RPC value.
    typedef std::function<XmlRpc::XmlRpcValue(const QVariant &)> Writer;

    //! Invalid and *ok false for a value that cannot be written.
    static XmlRpc::XmlRpcValue toXmlRpc(const QVariant &value, bool *ok = nullptr);
    //! The plain Qt form of a value (struct → QVariantMap, array → QVariantList).
    static QVariant fromXmlRpc(const XmlRpc::XmlRpcValue &value);

    //! Sets the writer of a user type (replacing an earlier one); thread-safe.
    static void registerWriter(int userType, Writer writer);

    template<typename T>
    //! Registers the writer of T, which calls T::toXmlRpcValue().
    static void registerType()
    {
        registerWriter(qMetaTypeId<T>(), [](const QVariant &v) { return v.value<T>().toXmlRpcValue(); });
    }
};

#endif // XMLRPCVARIANT_H
