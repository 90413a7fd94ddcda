#ifndef WATCHCOMMAND_H
#define WATCHCOMMAND_H

#include "CommSession.h"

#include <QtCore/QJsonObject>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QStringList>

class AXOCommData;
class AXOCurrentCommData;
class QEventLoop;

//! "axocomm watch": starts the communication with a driver and prints
//! every change signal of the data store and of the current-machine facade
//! as one time-stamped line (or one JSON object a line) until SIGINT or
//! SIGTERM; then logs out, closes the driver and exits with 0.
class WatchCommand
{
public:
    //! The exit status: 0 watched until interrupted, 1 the start failed,
    //! 2 bad usage.
    int run(const QStringList &args);

private:
    int parse(const QStringList &args);
    void followStore(AXOCommData *store);
    void followStoreMachines(AXOCommData *store);
    void followStoreData(AXOCommData *store);
    void followCurrent(AXOCurrentCommData *current);
    //! Connects a signal, queued to this thread; details builds the members
    //! of the line from the signal's arguments.
    template<typename Sender, typename Signal, typename Details>
    void follow(Sender *sender, Signal signal, const char *source, const char *name, Details details);
    void print(const char *source, const QString &name, const QJsonObject &details);
    void printEvent(const QString &event, const QJsonObject &details);

    // The members describing a machine or a driver's machines, read from the store.
    QJsonObject machineDetails(int driverID, const MachineID &machine) const;
    QJsonObject errorDetails(int driverID, const MachineID &machine, bool changed) const;
    QJsonObject statusDetails(int driverID, const MachineID &machine) const;
    QJsonObject activeDetails(int driverID) const;

    QString m_host;
    int m_port = 0;
    int m_level = 2;
    bool m_json = false;
    bool m_stopping = false;
    CommSession m_session;
    //! Receives the library's signals in this thread.
    QObject m_context;
};

#endif // WATCHCOMMAND_H
