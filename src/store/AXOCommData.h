#ifndef AXOCOMMDATA_H
#define AXOCOMMDATA_H

#include "AXOCommGlobal.h"
#include "DispenserStatus.h"
#include "DriverSettings.h"
#include "FW_CalibrationProfiles.h"
#include "FW_Configuration.h"
#include "FW_Dispenser.h"
#include "FW_DriverError.h"
#include "FW_ErrorList.h"
#include "FW_Program.h"
#include "MixerStatus.h"
#include "ProtocolCommandInfo.h"
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
#include <QtCore/QStringList>
#include <QtCore/QVersionNumber>

#include <memory>

class DispenserDriverStatusAnswer;
class DispenserStatusAnswer;
class FW_Machine;
class MachineDriverStatusAnswer;
class MachineStatusAnswer;
class NEDriverThreadRegistry;
class UssWaterChangeStatus;
class WeightAnswer;
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
    //! Sets the circuit process a dispenser's circuits-process thread
    //! follows; false when the machine has no such thread.
    bool setActiveCircuitProcess(int driverID, const MachineID &machineID, int circuitProcess);
    //! The process that thread follows; false (out unchanged) without one.
    bool getActiveCircuitProcess(int driverID, const MachineID &machineID, int &circuitProcess) const;
    //! Whether that thread signals only changed answers.
    bool setProcessNotifyOnChange(int driverID, const MachineID &machineID, bool notify);
    //! The re-check interval that thread asks the driver for, ms.
    bool setProcessPollingTime(int driverID, const MachineID &machineID, int ms);
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

    void clearErrorList(int driverID, const MachineID &machineID, bool all);
    void clearErrorListTypes(int driverID, const MachineID &machineID, const QList<FW_Error::ErrorType> &types);
    FW_ErrorList getFilteredErrorList(int driverID, const MachineID &machineID,
                                      const QList<FW_Error::ErrorType> &types) const;

    // Status lists of the driver's machines (AXOCommDataStatus.cpp). The
    // setters keep the list before the last one as the previous generation.
    bool setDispenserStatusList(int driverID, const QList<DispenserStatus> &list, bool emitMachineSignal);
    bool setMixerStatusList(int driverID, const QList<MixerStatus> &list);
    bool setMachineStatusList(int driverID, const QList<MachineStatus *> &list);
    bool setAllDispensersInactive(int driverID);
    bool setAllMixersInactive(int driverID);
    bool removeDispenserStatus(int driverID, int dispID, bool force);
    bool removeMixerStatus(int driverID, int mixerID, bool force);
    QList<DispenserStatus> getDispenserStatusList(int driverID) const;
    QList<DispenserStatus> getDispenserStatusList_OLD(int driverID) const;
    QList<MixerStatus> getMixerStatusList(int driverID) const;
    QList<MixerStatus> getMixerStatusList_OLD(int driverID) const;
    //! New status objects of every machine of the type bits; the caller deletes them.
    QList<MachineStatus *> getMachineStatusList(int driverID, int typeMask) const;
    //! The same, active machines only.
    QList<MachineStatus *> getActiveMachinesList(int driverID, int typeMask) const;
    //! A new status object of the machine; null when it is not listed.
    MachineStatus *getMachineStatusByMachineID(int driverID, const MachineID &machineID) const;
    bool getDispenserStatusByDispID(int driverID, int dispID, DispenserStatus &out) const;
    bool getMixerStatusByMixerID(int driverID, int mixerID, MixerStatus &out) const;
    QList<DispenserStatus> getActiveDispenserList(int driverID) const;
    QList<MixerStatus> getActiveMixerList(int driverID) const;
    QList<int> getActiveDispenserIDs(int driverID) const;
    QList<int> getActiveMixerIDs(int driverID) const;
    QList<MachineID> getActiveMachineIDs(int driverID, int typeMask) const;
    int activeDispenserNum(int driverID) const;
    int activeMixerNum(int driverID) const;
    bool getFirstActiveDispenserID(int driverID, int *out) const;
    bool getFirstActiveMixerID(int driverID, int *out) const;
    bool getFirstActiveMachineID(int driverID, int typeMask, MachineID &out) const;
    bool containsDispenserID(int driverID, int dispID) const;
    bool containsMixerID(int driverID, int mixerID) const;
    //! Listed, active, and its standard command thread running unpaused.
    bool isActiveDispenser(int driverID, int dispID) const;
    bool isActiveMixer(int driverID, int mixerID) const;
    bool isActiveMachine(int driverID, const MachineID &machineID) const;
    //! Active in the last list and not in the one before.
    QList<int> getLastConnectedDispensers(int driverID) const;
    QList<int> getLastConnectedMixers(int driverID) const;
    //! Active in the list before the last and not in the last.
    QList<int> getLastDisconnectedDispensers(int driverID) const;
    QList<int> getLastDisconnectedMixers(int driverID) const;
    //! Machines active now that were not, or whose configuration identity changed.
    QList<MachineID> getLastConnectedOrReconfiguredMachineIDs(int driverID) const;

    // Driver status answers of the machines (AXOCommDataStatus.cpp). Getters
    // hand out copies: the stored answers are replaced by the next update.
    void setCurrentDispenserStatus(int driverID, int dispID, const DispenserDriverStatusAnswer *status);
    void setCurrentMachineStatus(int driverID, const MachineID &machineID, const MachineDriverStatusAnswer *status);
    bool hasDispenserStatus(int driverID, int dispID) const;
    bool hasPreviousDispenserStatus(int driverID, int dispID) const;
    bool hasMachineStatus(int driverID, const MachineID &machineID) const;
    bool hasPreviousMachineStatus(int driverID, const MachineID &machineID) const;
    std::unique_ptr<DispenserDriverStatusAnswer> currentDispenserDriverStatus(int driverID, int dispID) const;
    std::unique_ptr<DispenserDriverStatusAnswer> previousDispenserDriverStatus(int driverID, int dispID) const;
    //! A copy of the driver status last stored for the machine; null when none.
    std::unique_ptr<MachineDriverStatusAnswer> currentMachineDriverStatus(int driverID,
                                                                         const MachineID &machineID) const;
    std::unique_ptr<MachineDriverStatusAnswer> previousMachineDriverStatus(int driverID,
                                                                          const MachineID &machineID) const;
    //! The board's own status part of an active dispenser; null otherwise.
    std::unique_ptr<DispenserStatusAnswer> dispenserStatus(int driverID, int dispID) const;
    std::unique_ptr<MachineStatusAnswer> machineStatus(int driverID, const MachineID &machineID) const;
    bool dispenserAcceptCommands(int driverID, int dispID) const;
    bool dispenserAcceptPOSCommands(int driverID, int dispID) const;
    bool dispenserAcceptProcessCommands(int driverID, int dispID) const;
    bool machineAcceptCommands(int driverID, const MachineID &machineID) const;
    bool machineAcceptPOSCommands(int driverID, const MachineID &machineID) const;
    bool machineAcceptProcessCommands(int driverID, const MachineID &machineID) const;
    bool isDispenserUnavailable(int driverID, int dispID) const;
    bool isDispenserAvailable(int driverID, int dispID) const { return !isDispenserUnavailable(driverID, dispID); }
    bool isMachineUnavailable(int driverID, const MachineID &machineID) const;
    bool isMachineAvailable(int driverID, const MachineID &machineID) const
    {
        return !isMachineUnavailable(driverID, machineID);
    }

    // Firmware, sensors, scale and cleaning (AXOCommDataStatus.cpp).
    void setFwProgram(int driverID, const MachineID &machineID, const FW_Program &program);
    void setBootLoaderActive(int driverID, const MachineID &machineID, bool active);
    FW_Program fwProgram(int driverID, const MachineID &machineID) const;
    int fwConfigVersion(int driverID, const MachineID &machineID) const;
    int fwProtocolVersion(int driverID, const MachineID &machineID) const;
    bool isBootLoaderActive(int driverID, const MachineID &machineID) const;
    bool isApplicationProgramActive(int driverID, const MachineID &machineID) const;
    void NEEmitHumidifierValuesChangedSignal(int driverID, int dispID, double temperatureValue, double humidityValue);
    void NEEmitGearACMotorValuesChangedSignal(int driverID, int dispID, double pumpMotorSpeed,
                                              double inverterCurrent);
    void setWeightAnswer(int driverID, int dispID, const WeightAnswer *answer);
    std::unique_ptr<WeightAnswer> weightAnswer(int driverID, int dispID) const;
    void setUssWaterChangeStatus(int driverID, int dispID, const UssWaterChangeStatus &status);
    std::unique_ptr<UssWaterChangeStatus> ussWaterChangeStatus(int driverID, int dispID) const;

    // Configuration, calibration, settings and command lists (AXOCommDataConfig.cpp).
    bool setConfiguration(int driverID, const FW_Configuration &configuration);
    bool setFactoryConfiguration(int driverID, const FW_Configuration &configuration);
    //! Kind 0: the shared configuration, 1: the factory one.
    bool setDriverConfiguration(int driverID, int kind, const FW_Configuration &configuration);
    bool addDispenser(int driverID, const FW_Dispenser &dispenser);
    bool saveDispenser(int driverID, const FW_Dispenser &dispenser);
    bool saveMachine(int driverID, const FW_Machine *machine);
    bool updateDispenser(int driverID, const FW_Dispenser &dispenser);
    bool removeMachine(int driverID, const MachineID &machineID);
    bool setCalibrationProfiles(int driverID, const FW_CalibrationProfiles &profiles, bool customChanged,
                                bool defaultChanged);
    bool setDriverSettings(int driverID, const DriverSettings &settings);
    bool setDriverVersion(int driverID, const QVersionNumber &version);
    void setCommandList(int driverID, const MachineID &machineID, const QList<ProtocolCommandInfo> &commands);
    FW_Configuration getSharedConfiguration(int driverID) const;
    FW_Configuration getFactoryConfiguration(int driverID) const;
    bool existsAFactoryConfiguration(int driverID) const;
    FW_CalibrationProfiles getSharedCalibrationProfiles(int driverID) const;
    FW_CalibrationProfiles getCustomCalibrationProfiles(int driverID) const;
    FW_CalibrationProfiles getDefaultCalibrationProfiles(int driverID) const;
    QList<ConfigID> getConfigIDList(int driverID) const;
    FW_Dispenser getDispenser(int driverID, int dispID) const;
    //! A copy of the configured machine; null when there is none.
    std::unique_ptr<FW_Machine> getMachine(int driverID, const MachineID &machineID) const;
    bool existsMachineID(int driverID, const MachineID &machineID) const;
    QList<int> getDispensersID(int driverID, bool onlyKnownModels) const;
    int getNumOfDispensers(int driverID, bool onlyKnownModels) const;
    int getNumOfMixers(int driverID, bool onlyKnownModels) const;
    int getNumOfMachines(int driverID, bool onlyKnownModels) const;
    int getNumOfPumpModels(int driverID) const;
    bool getDriverSettings(int driverID, DriverSettings &out) const;
    bool getDriverVersion(int driverID, QVersionNumber &out) const;
    QList<ProtocolCommandInfo> getCommandList(int driverID, const MachineID &machineID) const;
    //! True when nothing is known of the machine's commands, or the name is among them.
    bool isCommandSupported(int driverID, const MachineID &machineID, const QString &name) const;
    bool areCommandsSupported(int driverID, const MachineID &machineID, const QStringList &names) const;
    int getCommandVersion(int driverID, const MachineID &machineID, const QString &name) const;

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

    //! Runs edit on a copy of the shared configuration; stores it, refreshes
    //! the sessions and signals when the edit succeeded.
    template<typename Edit>
    bool editConfiguration(int driverID, Edit edit, bool removal);
    //! Clears errors of the machine's record and of the generic record of its
    //! kind; clear(list) tells whether it changed the list.
    template<typename Clear>
    void clearErrors(int driverID, const MachineID &machineID, Clear clear);
    //! The entry's active flag, through the standard command thread of the machine.
    bool isActiveListed(int driverID, const MachineID &machineID) const;
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
