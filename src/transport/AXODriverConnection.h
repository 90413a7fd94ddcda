#ifndef AXODRIVERCONNECTION_H
#define AXODRIVERCONNECTION_H

#include "AXOCommGlobal.h"

#include <QtNetwork/QHostAddress>
#include <QtCore/QString>

//! The endpoint of a driver: IPv4 address, TCP port and the PEM file that
//! TLS connections load as verification locations.
class AXOCOMM_EXPORT AXODriverConnection
{
public:
    AXODriverConnection();
    AXODriverConnection(const QHostAddress &hostAddress, int port);
    AXODriverConnection(const QString &host, int port);
    AXODriverConnection(const QString &host, int port, const QString &certPath);

    QHostAddress hostAddress() const { return m_hostAddress; }
    void setHostAddress(const QHostAddress &hostAddress) { m_hostAddress = hostAddress; }
    //! The address as text, e.g. "127.0.0.1".
    QString ipAddress() const { return m_hostAddress.toString(); }
    int port() const { return m_port; }
    void setPort(int port) { m_port = port; }
    QString certPath() const { return m_certPath; }
    void setCertsPath(const QString &certPath) { m_certPath = certPath; }
    void setDefaults();

    static QHostAddress defaultHostAddress();
    static int defaultPort();
    static QString defaultCertPath();

    //! Same address and port; the certificate path is not compared.
    bool operator==(const AXODriverConnection &other) const;
    bool operator!=(const AXODriverConnection &other) const { return !(*this == other); }

    //! Parses "address:port". *port is written as soon as the port part is
    //! converted, even when it fails; host names are refused.
    static bool decodeConnString(const QString &text, QString *host, int *port);

private:
    QHostAddress m_hostAddress;
    int m_port;
    QString m_certPath;
};

#endif // AXODRIVERCONNECTION_H
