#ifndef AXOCOMMDATA_H
#define AXOCOMMDATA_H

#include "AXOCommGlobal.h"
#include "FW_DriverError.h"
#include "FW_ErrorList.h"
#include "MachineID.h"
#include "NEDriverDataList.h"
#include "NEDriverParams.h"
#include "NEDriverParamsList.h"
#include "QueueType.h"
#include "Session.h"

#include <QtCore/QList>
#include <QtCore/QMutex>
#include <QtCore/QObject>
#include <QtCore/QPair>
#include <QtCore/QReadWriteLock>
#include <QtCore/QVersionNumber>

#include <memory>

class MachineDriverStatusAnswer;
class NEDriverThreadRegistry;
class NECmdManager;
class NECommand;
class NECommandQueueManager;
class NEQueueThreadManager;
class NEXmlRpcThread;

//! The process-wide store of what the library knows about its drivers: the
//! registered drivers and their records, the sessions, the command queues,
//! the driver communication threads, and the command and change signals the
//! host receives.
//!
//! Seven locks guard it, one per group of members, always taken in the
//! order data -> thread -> parameter and thread -> queue (the thread lock
//! is the thread registry's). Signals are
//! emitted after the locks are released, in the thread that caused them.
class AXOCOMM_EXPORT AXOCommData : public QObject
{
    Q_OBJECT

public:
    enum CommLevel {
        CommLevel0 = 0,
        CommLevel1 = 1,
        CommLevel2 = 2
    };
    Q_ENUM(CommLevel)

    enum CommandEvent {
        CommandEnqueued = 0,
        CommandSent = 1,
        CommandProgress = 2,
        CommandExecuted = 3
    };
    Q_ENUM(CommandEvent)

    //! How an error setter signals.
    enum EmitEventMode {
        EmitNone = 0,   //!< no signal
        EmitOnNew = 1,  //!< NEErrorListUpdated, "changed" only for a new error
        EmitAlways = 2  //!< NEErrorListUpdated with "changed" true
    };
    Q_ENUM(EmitEventMode)

    static AXOCommData *instance();
    static void drop();

    CommLevel commLevel() const { return m_commLevel; }
    void setCommLevel(CommLevel level) { m_commLevel = level; }
    bool mixerMngm() const { return m_mixerMngm; }
    void setMixerMngm(bool enabled) { m_mixerMngm = enabled; }

    QString clientID() const;
    //! An empty text is ignored.
    void setClientID(const QString &clientID);

    // Drivers.
    QList<int> getDriverIDs() const;
    QList<QPair<int, DriverTypes>> getDrivers() const;
    //! The driver's type; -1 when the driver is not registered.
    int getDriverType(int driverID) const;
    bool isAXODriver(int driverID) const { return getDriverType(driverID) == AXOdriver; }
    bool isSlaveDriver(int driverID) const { return getDriverType(driverID) == SlaveDriver; }
    NEDriverParams getDriverParamsForDriver(int driverID, bool *found = nullptr) const;
    NEDriverParamsList getDriverParamsList() const;
    bool setDriverParamsForDriver(int driverID, const NEDriverParams &params);
    //! Replaces the list, then creates and drops the driver records to match.
    void setDriverParamsList(const NEDriverParamsList &list);
    bool isDriverLocalhost(int driverID, bool *found = nullptr) const;
    //! 1 without drivers, else the highest registered ID + 1.
    int getNextDriverID() const;
    //! Registers a driver (the communication manager's entry).
    void addDriverParams(const NEDriverParams &params);
    //! Probes one driver; a driver found on another port rewrites params.
    static bool checkDriverConnection(NEDriverParams &params);
    bool checkDriverConnections();
    void updateMachineDataList(int driverID, const QList<MachineID> &ids, MachineID::SerialDeviceType type);

    // Sessions.
    bool appendSession(const Session &session);
    bool existSession(int driverID, const MachineID &machineID) const;
    bool getSession(int driverID, const MachineID &machineID, Session &out) const;
    QString getSessionID(int driverID, const MachineID &machineID) const;
    bool getGenericDispSession(int driverID, Session &out) const;
    QString getFirstClientID(bool useDefault) const;
    QList<Session> getSessionList() const;
    QList<MachineID> getSessionsMachineIDs() const;
    bool hasSessions() const;
    //! Whether any session of that driver is stored.
    bool hasSessions(int driverID) const;
    //! Forgets every session of the driver (it no longer knows them); the
    //! number forgotten.
    int removeDriverSessions(int driverID);
    bool removeSession(const QString &sessionID);
    bool removeAllSessions();

    // Command queues.
    //! Routes the command to its queue and wakes the thread that drains it.
    bool enqueueCommand(NECommand *command);
    //! The next command of the queue, now held by the calling driver thread
    //! until it releases it (NECommand::releaseFromThread).
    NECommand *takeFirstCommand(int driverID, const MachineID &machineID, QueueType queueType);
    //! For a caller about to wait for the command: when the command's queue
    //! is empty and its thread idle, that thread is claimed for the caller,
    //! which then runs the command through it (NEXmlRpcThread::runClaimed)
    //! instead of enqueueing it; the command is held as if the thread had
    //! taken it. Null when the command must be enqueued.
    NEXmlRpcThread *claimIdleThread(NECommand *command);
    //! Takes a command out of whichever queue still holds it; false when it
    //! is in none (taken by a driver thread, or ended).
    bool removeQueuedCommand(NECommand *command);
    int commandQueueCount(int driverID, const MachineID &machineID, QueueType queueType) const;
    bool existCommandQueue(int driverID, const MachineID &machineID, QueueType queueType) const;
    bool clearCommandQueue(int driverID, const MachineID &machineID, QueueType queueType);
    void removeAllCommandQueues(int driverID);

    // Queue workers.
    bool sendCommand(NECommand *cmd, bool blocking, bool copy);
    bool sendCommands(const QList<NECommand *> &cmds, bool blocking, bool copy);
    //! Library shut-down: every queue worker stops following its commands
    //! (those still queued end "interrupted"). Registering a driver again
    //! (addDriverParams) clears it.
    void stopAllQueueThreads();
    void resetQueueThreadsAbort();
    bool isQueueThreadsAbortSet() const;

    // Driver communication threads.
    bool createDriverCommThread(int driverID, const MachineID &machineID,
                                NEDriverParams::DriverThreadTypes threadType);
    bool startDriverCommThread(int driverID, const MachineID &machineID,
                               NEDriverParams::DriverThreadTypes threadType);
    bool stopDriverCommThread(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes threadType,
                              bool wait, bool force, bool remove);
    bool pauseDriverCommThread(int driverID, const MachineID &machineID,
                               NEDriverParams::DriverThreadTypes threadType);
    bool resumeDriverCommThread(int driverID, const MachineID &machineID,
                                NEDriverParams::DriverThreadTypes threadType);
    //! The thread of that key; null when none. The pointer stays valid until
    //! that thread is removed or its driver closed.
    NEXmlRpcThread *getDriverCommThread(int driverID, const MachineID &machineID,
                                        NEDriverParams::DriverThreadTypes threadType) const;
    bool existsDriverCommThread(int driverID, const MachineID &machineID,
                                NEDriverParams::DriverThreadTypes threadType) const;
    bool isDriverCommThreadActive(int driverID, const MachineID &machineID,
                                  NEDriverParams::DriverThreadTypes threadType) const;
    QList<MachineID> getDriverCommThreadMachineIDs(int driverID, NEDriverParams::DriverThreadTypes threadType) const;
    //! Pings the driver of the driver level's standard command thread, over
    //! a connection of its own; false when that thread does not exist.
    bool pingDriverCommThread(int driverID, double timeoutSeconds) const;
    //! Sets the circuit process a dispenser's circuits-process thread follows.
    bool setActiveCircuitProcess(int driverID, const MachineID &machineID, int circuitProcess);
    //! Stops every thread of the driver in parallel, fails its queued
    //! commands and unregisters it; -1: every driver. Other drivers'
    //! commands go on.
    void closeAllConnections(int driverID, bool wait);

    // Errors.
    void setError(int driverID, const MachineID &machineID, const FW_DriverError &error, bool clear,
                  EmitEventMode mode);
    void setError(int driverID, const FW_DriverError &error, bool clear, EmitEventMode mode);
    void setError(const FW_DriverError &error, bool clear, EmitEventMode mode);
    void setDispError(int driverID, int dispID, const FW_DriverError &error, bool clear, EmitEventMode mode);
    void setMixerError(int driverID, int mixerID, const FW_DriverError &error, bool clear, EmitEventMode mode);
    void setErrorList(int driverID, const MachineID &machineID, const FW_ErrorList &list);
    void appendErrorList(int driverID, const MachineID &machineID, const FW_ErrorList &list);
    FW_ErrorList getErrorList(int driverID, const MachineID &machineID) const;
    FW_ErrorList getErrorHistoryList(int driverID, const MachineID &machineID) const;

    // Driver data.
    bool setDriverVersion(int driverID, const QVersionNumber &version);
    bool getDriverVersion(int driverID, QVersionNumber &out) const;
    //! A copy of the driver status last stored for the machine; null when none.
    std::unique_ptr<MachineDriverStatusAnswer> currentMachineDriverStatus(int driverID,
                                                                         const MachineID &machineID) const;

    // Messages to the application.
    void NEEmitCommandEnqueuedSignal(const NECommand &command);
    void NEEmitCommandSentSignal(const NECommand &command);
    void NEEmitCommandProgressSignal(const NECommand &command);
    void NEEmitCommandExecutedSignal(const NECommand &command);
    void NEEmitAppMessageSignal(const QString &message, bool error);
    void NEEmitLogMessage(const QString &message, int level);

signals:
    void NECommandEnqueuedSignal(const NECommand &command);
    void NECommandSentSignal(const NECommand &command);
    void NECommandProgressSignal(const NECommand &command);
    void NECommandExecutedSignal(const NECommand &command);
    void NECommandExecutionStatusSignal(AXOCommData::CommandEvent cmdEvent, const NECommand &command);
    void NEDispenserStatusListChanged(int driverID);
    void NEMixerStatusListChanged(int driverID);
    void NEMachineStatusListChanged(int driverID);
    void NEScaleStatusListChanged(int driverID);
    void NEErrorListUpdated(int driverID, const MachineID &machineID, bool changed);
    void NEFirmwareProgramChangedSignal(int driverID, const MachineID &machineID);
    void NEHumidifierValuesChangedSignal(int driverID, int dispID, const double &temperatureValue,
                                         const double &humidityValue);
    void NEGearACMotorValuesChangedSignal(int driverID, int dispID, const double &pumpMotorSpeed,
                                          const double &inverterCurrent);
    void NECurrentScaleWeightChangedSignal(int driverID, int dispID);
    void NEUSSCleaningStatusChangedSignal(int driverID, int dispID);
    void NEDispenserDriverStatusChangedSignal(int driverID, int dispID);
    void NEMixerDriverStatusChangedSignal(int driverID, int mixerID);
    void NEMachineDriverStatusChangedSignal(int driverID, const MachineID &machineID);
    void NEFirmwareVersionChangedSignal(int driverID, const MachineID &machineID);
    void NEAppMessageSignal(const QString &message, bool error);
    void NETraceLogMessage(QString logMessage, int level);
    void NEConfigurationChanged(int driverID);
    void NEDefaultCalibrationProfilesChanged(int driverID);
    void NECustomCalibrationProfilesChanged(int driverID);

private:
    explicit AXOCommData(QObject *parent = nullptr);
    ~AXOCommData() override;

    friend class NEDriverThreadRegistry;
    bool removeDriverParamsForDriver(int driverID);
    bool removeDriverData(int driverID);
    //! Under the queue lock, for the thread registry.
    void addCommandQueue(int driverID, const MachineID &machineID, QueueType type);
    void removeCommandQueue(int driverID, const MachineID &machineID, QueueType type);

    static AXOCommData *m_Instance;

    std::unique_ptr<NECmdManager> m_cmdManager;
    std::unique_ptr<NECommandQueueManager> m_queueManager;
    std::unique_ptr<NEQueueThreadManager> m_queueThreadManager;
    bool m_queueThreadsAbort = false;
    NEDriverParamsList m_driverParams;
    QList<Session> m_sessions;
    NEDriverDataList m_driverData;
    std::unique_ptr<NEDriverThreadRegistry> m_threads;
    QString m_clientID;
    CommLevel m_commLevel = CommLevel1;
    bool m_mixerMngm = false;

    mutable QMutex m_workerMutex;
    mutable QMutex m_abortMutex;
    mutable QMutex m_queueMutex;
    mutable QMutex m_paramMutex;
    mutable QMutex m_sessionMutex;
    mutable QMutex m_dataMutex;
};

Q_DECLARE_METATYPE(AXOCommData::CommandEvent)

#endif // AXOCOMMDATA_H
