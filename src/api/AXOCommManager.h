#ifndef AXOCOMMMANAGER_H
#define AXOCOMMMANAGER_H

#include "AXOCommData.h"
#include "AXOCommGlobal.h"

#include <QtCore/QMutex>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QStringList>

class AXODriverConnection;

//! The entry point with which the host starts and stops the communication
//! with its drivers. One instance per process, from instance() to drop().
//!
//! A start is one ordered procedure run in the caller's thread: probe the
//! driver, register it, start its command threads, log in, read its
//! version, (level 2) load its calibration profiles and configuration, ask
//! which machines are active, start the polling and configuration threads
//! and choose the current machine. Each phase is announced with
//! CommTaskStarted and ends with CommTaskCompleted, both emitted in the
//! caller's thread; a failure is also recorded on the driver's generic
//! dispenser machine with its "TE00nnn" code.
class AXOCOMM_EXPORT AXOCommManager : public QObject
{
    Q_OBJECT

public:
    //! The phases of a start; single bits.
    enum CommTasks {
        CommInit = 1,                //!< "Communication init"
        CalibrationProfilesLoad = 2, //!< "Calibration profiles load"
        ConfigurationLoad = 4,       //!< "Configuration load"
        CommStart = 8                //!< "Communication start"
    };
    Q_ENUM(CommTasks)

    //! The detail a completed phase carries.
    enum CommMgsID {
        General = 0,                  //!< "General"
        UnsupportedConfiguration = 1, //!< "Unsupported configuration"
        NoMachineConnected = 2,       //!< "No machine connected load"
        NoConfigurationPresent = 3,   //!< "No configuration present"
        UnknownMachineModels = 4      //!< "Unknown machine models"
    };
    Q_ENUM(CommMgsID)

    //! The manager, created on the first call (in any thread; it emits its
    //! signals in the thread that calls a start).
    static AXOCommManager *instance();
    //! Deletes the manager, which closes every driver.
    static void drop();

    //! The phase's text, e.g. "Communication init"; empty for another value.
    static QString CommTaskStr(CommTasks task);
    //! The message's text, e.g. "No machine connected load"; empty for another value.
    static QString CommMgsIDStr(CommMgsID msgID);

    //! Starts a driver at the communication level, blocking the calling
    //! thread until the last phase has ended; with mixerMngm the
    //! generic mixer machine is logged in and, from level 1, its threads
    //! run. False when a phase failed (see CommTaskCompleted); what was
    //! started stays until stopDriversComm.
    bool startAXODriverComm(QString clientID, const AXODriverConnection &connection, AXOCommData::CommLevel level,
                            bool mixerMngm);
    //! Level 1, mixers not managed.
    bool startDriversComm(QString clientID, const AXODriverConnection &connection);
    //! Starts the driver at ip:port, over TLS when the client settings
    //! file says AXOServiceUSEOPENSSL=true, with mixers managed. Writes the
    //! embedded certificate to a new temporary file on every call
    //! (getCertsFilePath()); for a plain connection the file is removed at
    //! once, otherwise when the manager goes (drop()).
    bool startAXODriverEncryptedOrNot(QString clientID, QString ip, int port, AXOCommData::CommLevel level);
    //! Registers a driver with the default endpoint, without probing,
    //! threads or logins.
    bool startSimulatedAXODriverComm();
    //! Kept for the hosts that call it; does nothing and returns true.
    bool startSlaveDriverComm();
    //! Kept for the hosts that call it; does nothing and returns true.
    bool startDriverManager();
    //! Closes the driver (-1: every driver), waiting for its threads when
    //! asked, and forgets its sessions (they are not logged out: the driver
    //! may be gone; it lets them expire).
    void stopDriversComm(int driverID, bool wait);

    //! Writes the embedded client certificate to a new temporary file and
    //! returns its path. The file stays on disk for the TLS connections,
    //! which read it again when they reconnect; the manager removes the
    //! files it wrote when it goes (drop()).
    QString getCertsFilePath();

signals:
    //! A phase of a start begins; emitted in the thread that runs the start.
    void CommTaskStarted(AXOCommManager::CommTasks task);
    //! A phase of a start ended, successfully or not (result), with a detail;
    //! emitted in the thread that runs the start.
    void CommTaskCompleted(AXOCommManager::CommTasks task, bool result, AXOCommManager::CommMgsID msgID);

private:
    explicit AXOCommManager(QObject *parent = nullptr);
    ~AXOCommManager() override;

    bool fail(int driverID, CommTasks task, const char *code, const QString &message, CommMgsID msgID = General);
    bool startCommandThreads(int driverID, AXOCommData::CommLevel level, bool mixerMngm);
    bool loadProfiles(int driverID);
    bool loadConfiguration(int driverID, FW_Configuration &configuration);
    bool startCommunication(int driverID, AXOCommData::CommLevel level, bool mixerMngm,
                            const FW_Configuration &configuration);

    static AXOCommManager *m_Instance;
    //! The certificate files written so far, removed by the destructor.
    QStringList m_certFiles;
    QMutex m_certFilesMutex;
};

Q_DECLARE_METATYPE(AXOCommManager::CommTasks)
Q_DECLARE_METATYPE(AXOCommManager::CommMgsID)

#endif // AXOCOMMMANAGER_H
