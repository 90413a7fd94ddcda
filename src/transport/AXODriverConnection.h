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
    //! 127.0.0.1:9333, no certificate file.
    AXODriverConnection();
    //! That address and port, no certificate file.
    AXODriverConnection(const QHostAddress &hostAddress, int port);
    //! An IPv4 address in text and a port; a host name gives a null address.
    AXODriverConnection(const QString &host, int port);
    //! The same with the PEM file for TLS.
    AXODriverConnection(const QString &host, int port, const QString &certPath);

    //! The driver's address.
    QHostAddress hostAddress() const { return m_hostAddress; }
    //! Sets the address.
    void setHostAddress(const QHostAddress &hostAddress) { m_hostAddress = hostAddress; }
    //! The address as text, e.g. "127.0.0.1".
    QString ipAddress() const { return m_hostAddress.toString(); }
    //! The driver's TCP port.
    int port() const { return m_port; }
    //! Sets the port.
    void setPort(int port) { m_port = port; }
    //! The PEM file TLS connections load; empty for none.
    QString certPath() const { return m_certPath; }
    //! Sets the PEM file.
    void setCertsPath(const QString &certPath) { m_certPath = certPath; }
    //! Back to 127.0.0.1:9333 without a certificate file.
    void setDefaults();

    //! 127.0.0.1.
    static QHostAddress defaultHostAddress();
    //! 9333.
    static int defaultPort();
    //! Empty.
    static QString defaultCertPath();

    //! Same address and port; the certificate path is not compared.
    bool operator==(const AXODriverConnection &other) const;
    //! Not operator==().
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
