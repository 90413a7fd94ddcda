#ifndef CONNECTREQUEST_H
#define CONNECTREQUEST_H

#include <AXOComm/AXOComm.h>

#include <QtCore/QString>

//! What the operator chose in the connect dialog: the driver's endpoint and
//! the communication level. Plain or TLS is not chosen here: the client
//! settings file decides it, and tls only reports what it said.
struct ConnectRequest
{
    QString address = QStringLiteral("127.0.0.1");
    int port = 9333;
    bool tls = false;
    AXOCommData::CommLevel level = AXOCommData::CommLevel2;

    QString endpoint() const { return QStringLiteral("%1:%2").arg(address).arg(port); }
};

#endif // CONNECTREQUEST_H
