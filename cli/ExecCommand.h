#ifndef EXECCOMMAND_H
#define EXECCOMMAND_H

#include "MachineID.h"
#include "ProgressDisplay.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QVariant>

class CommandLine;
class NECommand;

//! "axocomm exec": runs one command of the catalogue through the whole
//! library (driver registered, command threads, login, queue, ticket
//! polling), shows its progress and prints its answer. Ctrl-C sends STOP
//! to the machine of a command followed by ticket; the machine is logged
//! out and the driver closed either way.
class ExecCommand
{
public:
    ExecCommand();
    ~ExecCommand();

    //! The exit status: 0 the command succeeded, 1 it did not, 2 bad usage.
    int run(const QStringList &args);

    //! A parameter from the command line: a JSON value (whole numbers as
    //! int), or the text itself when it is not JSON.
    static QVariant parameter(const QString &text);

private:
    int parse(const QStringList &args);
    void startMachineThreads();
    int execute();
    void followEvents(NECommand &cmd);
    void onStatus(int event, const NECommand &cmd);
    void interrupt(const NECommand &cmd);

    QString m_host;
    int m_port = 0;
    QString m_certPath;
    bool m_temporaryCert = false;
    QString m_command;
    MachineID m_machine;
    QList<QVariant> m_parameters;
    int m_driverID = 0;
    ProgressDisplay::Mode m_progressMode = ProgressDisplay::Lines;
    ProgressDisplay *m_progress = nullptr;
    bool m_stopSent = false;
    //! Receives the store's command signals in this thread.
    QObject m_context;
};

#endif // EXECCOMMAND_H
