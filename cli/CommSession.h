#ifndef COMMSESSION_H
#define COMMSESSION_H

#include "MachineID.h"

#include <QtCore/QList>
#include <QtCore/QString>

#include <functional>

//! The communication with one driver, started through the communication
//! manager the way a service application starts it (plain or TLS as the
//! client settings file says, with the built-in certificate, mixers
//! managed) and stopped cleanly: every
//! session of the driver logged out, then the driver closed and the
//! library's singletons dropped. The destructor stops it when stop() was
//! not called.
class CommSession
{
public:
    //! Receives a line for each phase of the start when set.
    using Printer = std::function<void(const QString &)>;

    CommSession() = default;
    ~CommSession();
    CommSession(const CommSession &) = delete;
    CommSession &operator=(const CommSession &) = delete;

    void setPhasePrinter(Printer printer) { m_printer = std::move(printer); }
    //! Starts at communication level 0, 1 or 2; false when a phase failed.
    bool start(const QString &host, int port, int level);
    //! Waits (event loop running) until the driver's active machines are
    //! known, up to timeoutMs; the active machines then.
    QList<MachineID> waitForActiveMachines(int timeoutMs) const;
    //! Logs out the driver's sessions and stops the communication. Once.
    void stop();

    int driverID() const { return m_driverID; }
    bool isStarted() const { return m_started; }

private:
    void stopBackgroundThreads();
    void logoutSessions();

    Printer m_printer;
    QString m_certPath; //!< the temporary certificate file of a TLS start
    int m_driverID = 0;
    bool m_started = false;
    bool m_stopped = false;
};

#endif // COMMSESSION_H
