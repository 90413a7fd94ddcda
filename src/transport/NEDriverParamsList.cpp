#include "NEDriverParamsList.h"

#include <QtCore/QStringList>

NEDriverParamsList::NEDriverParamsList() = default;
NEDriverParamsList::NEDriverParamsList(const NEDriverParamsList &other) = default;
NEDriverParamsList::NEDriverParamsList(const QList<NEDriverParams> &list) : m_list(list) {}
NEDriverParamsList &NEDriverParamsList::operator=(const NEDriverParamsList &other) = default;
NEDriverParamsList::~NEDriverParamsList() = default;

NEDriverParamsList::NEDriverParamsList(const QString &paramString)
{
    int nextID = 1;
    const QStringList parts = paramString.split(QLatin1Char('|'), Qt::KeepEmptyParts);
    for (const QString &part : parts) {
        QString host;
        int port = 0;
        if (!AXODriverConnection::decodeConnString(part, &host, &port))
            continue;
        m_list.append(NEDriverParams(nextID++, AXODriverConnection(host, port, QString())));
    }
}

void NEDriverParamsList::appendNEDriverParams(const NEDriverParams &params)
{
    m_list.append(params);
}

void NEDriverParamsList::replaceParams(int index, const NEDriverParams &params)
{
    m_list[index] = params;
}

NEDriverParams NEDriverParamsList::getDriverParamsForDriver(int driverID, bool *found) const
{
    for (const NEDriverParams &params : m_list) {
        if (params.driverID() == driverID) {
            if (found)
                *found = true;
            return params;
        }
    }
    if (found)
        *found = false;
    return NEDriverParams();
}

bool NEDriverParamsList::setDriverParamsForDriver(int driverID, const NEDriverParams &params)
{
    for (NEDriverParams &entry : m_list) {
        if (entry.driverID() == driverID) {
            entry = params;
            return true;
        }
    }
    return false;
}

bool NEDriverParamsList::removeNEDriverParamsForDriver(int driverID)
{
    bool found = false;
    const NEDriverParams params = getDriverParamsForDriver(driverID, &found);
    if (!found)
        return false;
    m_list.removeOne(params);
    return true;
}

bool NEDriverParamsList::hasAXODriverConnection(const AXODriverConnection &connection) const
{
    for (const NEDriverParams &params : m_list) {
        if (params.hasAxoDriverConnection() && *params.axoDriverConnection() == connection)
            return true;
    }
    return false;
}

QString NEDriverParamsList::toParamString() const
{
    QStringList entries;
    for (const NEDriverParams &params : m_list)
        entries.append(params.ipAddress() + QLatin1Char(':') + QString::number(params.port()));
    return entries.join(QLatin1Char('|'));
}
