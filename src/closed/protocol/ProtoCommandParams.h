#ifndef PROTOCOMMANDPARAMS_H
#define PROTOCOMMANDPARAMS_H

#include <QtCore/QList>
#include <QtCore/QVariant>

//! Helpers for command parameters that are lists of value classes: each
//! item travels as a QVariant of its class (written through its registered
//! XmlRpcVariant writer) inside one QVariantList.
namespace ProtoCommandParams {

template<class T>
//! The items as one list parameter, each a QVariant of its class.
QVariant listParameter(const QList<T> &items)
{
    QVariantList list;
    for (const T &item : items)
        list.append(QVariant::fromValue(item));
    return QVariant(list);
}

//! The items of such a parameter; false when an item is of another class.
template<class T>
bool readList(const QVariant &parameter, QList<T> *items)
{
    if (parameter.type() != QVariant::List)
        return false;
    QList<T> read;
    for (const QVariant &item : parameter.toList()) {
        if (item.userType() != qMetaTypeId<T>())
            return false;
        read.append(item.value<T>());
    }
    *items = read;
    return true;
}

} // namespace ProtoCommandParams

#endif // PROTOCOMMANDPARAMS_H
