#ifndef PANELSESSION_H
#define PANELSESSION_H

#include "ConnectRequest.h"

#include <AXOComm/AXOComm.h>

#include <QtCore/QFutureWatcher>
#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QObject>

//! The panel's side of the library: starts and stops the communication with
//! one driver, sends the operator's commands and hands every change the
//! library reports to the widgets, always in the GUI thread.
//!
//! Nothing here blocks the GUI thread. The start and the stop are blocking
//! library calls, so they run on a worker thread and report through queued
//! signals; commands are sent non-blocking, on copies of their own, and are
//! followed through the store's command signals.
class PanelSession : public QObject
{
    Q_OBJECT

public:
    enum State { Idle, Starting, Started, Failed, Stopping };
    Q_ENUM(State)

    explicit PanelSession(QObject *parent = nullptr);
    //! Waits for a start or stop in progress and closes the driver.
    ~PanelSession() override;

    //! Starts the driver in the background; false when a start or stop is
    //! still in progress or a driver is started already.
    bool start(const ConnectRequest &request);
    //! Closes the driver in the background; false when there is nothing to stop.
    bool stop();

    State state() const { return m_state; }
    bool isStarted() const { return m_state == Started; }
    int driverID() const { return m_driverID; }
    ConnectRequest request() const { return m_request; }

    //! Sends the command without waiting; false with the reason in error
    //! when it could not even be sent (unknown command, no driver).
    bool send(const QString &name, const MachineID &machine, const QList<QVariant> &parameters, QString *error);
    //! Reads the dispenser's canister levels, in the background; levelsRead
    //! brings them. A read asked for while one runs follows it.
    void refreshLevels(int dispenserID);

signals:
    void stateChanged(PanelSession::State state);
    void taskStarted(AXOCommManager::CommTasks task);
    void taskCompleted(AXOCommManager::CommTasks task, bool result, AXOCommManager::CommMgsID message);
    //! The start ended; the driver's start errors are in its error list.
    void startFinished(bool ok);
    void stopped();
    void machinesChanged();
    void driverStatusChanged();
    void errorsChanged();
    void configurationChanged();
    void currentMachineChanged();
    //! A command the panel sent: accepted, progressing, ended (once).
    void commandSent(const QString &name, const MachineID &machine);
    void commandProgress(const NECommand &command);
    void commandFinished(const NECommand &command);
    //! The dispenser's canister levels in cc by circuit position.
    void levelsRead(int dispenserID, const QMap<int, double> &levels);
    //! Something worth a line in the log.
    void message(const QString &text);

private:
    struct Pending
    {
        QString name;
        MachineID machine;
    };

    void setState(State state);
    void followLibrary();
    void onStartDone();
    void onStopDone();
    void onLevelsRead();
    void onCommandEvent(AXOCommData::CommandEvent event, const NECommand &command);
    int pendingIndex(const NECommand &command) const;
    bool forThisDriver(int driverID) const { return m_driverID > 0 && driverID == m_driverID; }

    State m_state = Idle;
    ConnectRequest m_request;
    int m_driverID = 0;
    QFutureWatcher<bool> m_startWatcher;
    QFutureWatcher<void> m_stopWatcher;
    //! The configuration the driver sends holds no levels (and replaces the
    //! store's at every reload), so the panel reads them itself.
    QFutureWatcher<QMap<int, double>> m_levelsWatcher;
    int m_levelsDispenser = 0;
    int m_levelsNext = 0;
    QList<Pending> m_pending;
};

#endif // PANELSESSION_H
