#ifndef FW_LISTUTILS_H
#define FW_LISTUTILS_H

#include "AXOCommGlobal.h"

#include <QtCore/QList>
#include <QtCore/QString>

//! The integers in decimal, joined by the separator.
AXOCOMM_EXPORT QString createListStr(const QList<int> &list, const QString &separator);

//! The members of a that are not in b, in a's order.
template<typename T>
QList<T> diffList(const QList<T> &a, const QList<T> &b)
{
    QList<T> diff;
    for (const T &item : a)
        if (!b.contains(item))
            diff.append(item);
    return diff;
}

#endif // FW_LISTUTILS_H
