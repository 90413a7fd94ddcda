#ifndef STARTCOMMAND_H
#define STARTCOMMAND_H

#include "CommSession.h"
#include "Formula.h"

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QStringList>

class NECommand;

//! "axocomm start": starts the communication with a driver through the
//! communication manager, printing each phase as it happens and the
//! machines it found; optionally dispenses a formula, following its
//! progress per circuit; then stops the communication. Ctrl-C during the
//! dispensing sends STOP.
class StartCommand
{
public:
    //! The exit status: 0 started (and dispensed), 1 failed, 2 bad usage.
    int run(const QStringList &args);

private:
    int parse(const QStringList &args);
    void showMachines();
    bool dispense(int dispenser);
    void showProgress(const NECommand &cmd);

    QString m_host;
    int m_port = 0;
    int m_level = 2;
    int m_dispenser = 0;
    bool m_dispense = false;
    Formula m_formula;
    QString m_lastProgress;
    CommSession m_session;
    //! Receives the store's command signals in this thread.
    QObject m_context;
};

#endif // STARTCOMMAND_H
