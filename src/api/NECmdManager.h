#ifndef NECMDMANAGER_H
#define NECMDMANAGER_H

#include "AXOCommGlobal.h"

#include <QtCore/QObject>

class AXODriverConnection;
class Formula;
class FormulaProgress;
class NECommand;

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

    //! A strict dispensing command whose dispenser reports formula progress.
    static bool hasFormulaProgressSupported(NECommand *cmd);
    //! Whether the dispenser reports the progress of a formula; the deep
    //! check asks the driver with a trial formula.
    static bool isFormulaProgressSupported(int driverID, int dispID, bool deepCheck);
    //! Asks the driver how it would execute the formula.
    static bool getFormulaExecution(int driverID, int dispID, const Formula &formula, FormulaProgress &progress);

private:
    explicit NECmdManager(QObject *parent = nullptr);
};

#endif // NECMDMANAGER_H
