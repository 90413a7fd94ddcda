#ifndef STARTCOMMAND_H
#define STARTCOMMAND_H

#include "Formula.h"

#include <QtCore/QString>
#include <QtCore/QStringList>

class NECommand;

//! "axocomm start": starts the communication with a driver through the
//! communication manager, printing each phase as it happens and the
//! machines it found; optionally dispenses a formula, following its
//! progress per circuit; then stops the communication.
class StartCommand
{
public:
    //! The exit status: 0 started (and dispensed), 1 failed, 2 bad usage.
    int run(const QStringList &args);

private:
    int parse(const QStringList &args);
    bool start();
    void showMachines();
    bool dispense(int dispenser);
    void showProgress(const NECommand &cmd);

    QString m_host;
    int m_port = 0;
    int m_level = 2;
    int m_dispenser = 0;
    bool m_dispense = false;
    Formula m_formula;
    int m_driverID = 0;
    QString m_lastProgress;
};

#endif // STARTCOMMAND_H
