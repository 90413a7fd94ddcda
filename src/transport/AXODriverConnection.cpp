#include "AXODriverConnection.h"

#include <QtCore/QStringList>

AXODriverConnection::AXODriverConnection()
{
    setDefaults();
}

AXODriverConnection::AXODriverConnection(const QHostAddress &hostAddress, int port)
    : m_hostAddress(hostAddress), m_port(port)
{
}

AXODriverConnection::AXODriverConnection(const QString &host, int port)
    : m_hostAddress(host), m_port(port)
{
}

AXODriverConnection::AXODriverConnection(const QString &host, int port, const QString &certPath)
    : m_hostAddress(host), m_port(port), m_certPath(certPath)
{
}

void AXODriverConnection::setDefaults()
{
    m_hostAddress = defaultHostAddress();
    m_port = defaultPort();
    m_certPath = defaultCertPath();
}

QHostAddress AXODriverConnection::defaultHostAddress()
{
    return QHostAddress(QStringLiteral("127.0.0.1"));
}

int AXODriverConnection::defaultPort()
{
    return 9333;
}

QString AXODriverConnection::defaultCertPath()
{
    return QString();
}

bool AXODriverConnection::operator==(const AXODriverConnection &other) const
{
    return m_port == other.m_port && m_hostAddress == other.m_hostAddress;
}

bool AXODriverConnection::decodeConnString(const QString &text, QString *host, int *port)
{
    if (text.isEmpty() || !host || !port)
        return false;
    const QStringList parts = text.split(QLatin1Char(':'), Qt::KeepEmptyParts);
    if (parts.size() != 2)
        return false;
    bool ok = false;
    *port = parts.at(1).toInt(&ok, 10);
    if (!ok)
        return false;
    QHostAddress address;
    if (!address.setAddress(parts.at(0)))
        return false;
    *host = parts.at(0);
    return true;
}
