#ifndef PROTOANSWERT_H
#define PROTOANSWERT_H

#include "XmlRpcAnswer.h"

#include <QtCore/QList>
#include <QtCore/QString>

//! The part every answer class would write again: clone() as a copy of the
//! class itself. Derived is the answer class, Base the class it extends
//! (XmlRpcAnswer or one of its answers); Base's constructors are kept.
//! Equality needs nothing more: XmlRpcAnswer::equalTo compares the class
//! name, the envelope and the data the answer writes.
template<class Derived, class Base = XmlRpcAnswer>
class ProtoAnswerT : public Base
{
public:
    using Base::Base;

    //! A new copy of the Derived class, owned by the caller.
    ProtoAnswer *clone() const override { return new Derived(static_cast<const Derived &>(*this)); }
};

//! The XML-RPC form of the values answers carry: int, bool, string, lists,
//! and classes with toXmlRpcValue() and a static fromXmlRpcValue(value, &ok).
//! read() is false, and *out unchanged, for a value of another kind.
namespace AnswerData {

//! An int.
inline bool read(const XmlRpc::XmlRpcValue &value, int *out)
{
    if (value.getType() != XmlRpc::XmlRpcValue::TypeInt)
        return false;
    *out = value.asInt();
    return true;
}

//! A boolean.
inline bool read(const XmlRpc::XmlRpcValue &value, bool *out)
{
    if (value.getType() != XmlRpc::XmlRpcValue::TypeBoolean)
        return false;
    *out = value.asBool();
    return true;
}

//! A string, as UTF-8.
inline bool read(const XmlRpc::XmlRpcValue &value, QString *out)
{
    if (value.getType() != XmlRpc::XmlRpcValue::TypeString)
        return false;
    *out = QString::fromStdString(value.asString());
    return true;
}

//! A class through its static fromXmlRpcValue(value, &ok).
template<class T>
bool read(const XmlRpc::XmlRpcValue &value, T *out)
{
    bool ok = false;
    const T decoded = T::fromXmlRpcValue(value, &ok);
    if (ok)
        *out = decoded;
    return ok;
}

//! An array whose every item reads as T; false when one does not.
template<class T>
bool read(const XmlRpc::XmlRpcValue &value, QList<T> *out)
{
    if (value.getType() != XmlRpc::XmlRpcValue::TypeArray)
        return false;
    QList<T> list;
    for (int i = 0; i < value.size(); ++i) {
        T item{};
        if (!read(value[i], &item))
            return false;
        list.append(item);
    }
    *out = list;
    return true;
}

//! An int.
inline XmlRpc::XmlRpcValue write(int value) { return value; }
//! A boolean.
inline XmlRpc::XmlRpcValue write(bool value) { return value; }
//! A string, as UTF-8.
inline XmlRpc::XmlRpcValue write(const QString &value) { return value.toStdString(); }

//! A class through its toXmlRpcValue().
template<class T>
XmlRpc::XmlRpcValue write(const T &value)
{
    return value.toXmlRpcValue();
}

//! An array of the items.
template<class T>
XmlRpc::XmlRpcValue write(const QList<T> &list)
{
    XmlRpc::XmlRpcValue array = XmlRpc::XmlRpcValue::emptyArray();
    for (int i = 0; i < list.size(); ++i)
        array[i] = write(list.at(i));
    return array;
}

} // namespace AnswerData

//! An answer whose data is one value of type T, required on success. Derived
//! says where the value is with a public
//!     static constexpr const char *dataMember
//! naming the single member of the data struct ({"ticket": 12}), or null
//! when the data is the value's own struct; and it may narrow the values it
//! accepts by declaring a static acceptsValue(const T &) of its own. A
//! malformed or refused value leaves the answer's value unchanged.
template<class Derived, class T>
class ValueAnswerT : public ProtoAnswerT<Derived>
{
public:
    //! An answer without result, the value default-constructed.
    ValueAnswerT() = default;
    //! An answer carrying that value.
    explicit ValueAnswerT(const T &value) : m_value(value) {}
    //! The answer of a driver's result.
    explicit ValueAnswerT(const XmlRpc::XmlRpcValue &result) { this->fromXmlRpcValue(result); }

    //! Every value of the type is accepted unless Derived says otherwise.
    static bool acceptsValue(const T &) { return true; }

protected:
    //! The value; Derived's getters name it.
    const T &value() const { return m_value; }

    //! Reads the value from the data (or its dataMember); false, the value
    //! unchanged, when malformed or not accepted.
    bool decodeData(const XmlRpc::XmlRpcValue &data) override
    {
        const char *member = Derived::dataMember;
        if (member && data.getType() != XmlRpc::XmlRpcValue::TypeStruct)
            return false;
        T decoded{};
        if (!AnswerData::read(member ? data[member] : data, &decoded) || !Derived::acceptsValue(decoded))
            return false;
        m_value = decoded;
        return true;
    }

    //! The value as the data (or as its dataMember).
    XmlRpc::XmlRpcValue encodeData() const override
    {
        const char *member = Derived::dataMember;
        if (!member)
            return AnswerData::write(m_value);
        XmlRpc::XmlRpcValue data;
        data[member] = AnswerData::write(m_value);
        return data;
    }

    //! A successful answer must carry the value.
    bool requiresData() const override { return true; }

private:
    T m_value = T();
};

#endif // PROTOANSWERT_H
