#ifndef NECMDMANAGER_H
#define NECMDMANAGER_H

#include "AXOCommGlobal.h"

#include <QtCore/QObject>

class AXODriverConnection;

//! The command API: executes commands on the drivers and checks that a
//! driver answers.
class AXOCOMM_EXPORT NECmdManager : public QObject
{
    Q_OBJECT

public:
    //! Sends "PING" to the driver at the endpoint through a temporary
    //! client, plain or TLS as the client settings file says. True when
    //! the driver answered within the time limit.
    static bool ping(const AXODriverConnection &connection, int timeoutSeconds);

private:
    explicit NECmdManager(QObject *parent = nullptr);
};

#endif // NECMDMANAGER_H
