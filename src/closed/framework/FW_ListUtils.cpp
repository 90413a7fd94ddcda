#include "FW_ListUtils.h"

#include <QtCore/QStringList>

QString createListStr(const QList<int> &list, const QString &separator)
{
    QStringList parts;
    for (int value : list)
        parts.append(QString::number(value));
    return parts.join(separator);
}
