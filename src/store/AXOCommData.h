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
class NEXmlRpcClientPool;
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
    //! How much a start runs (see start.md): 0 command threads only, 1 also
    //! the active-machines polling, 2 also configuration, profiles and connection status.
    enum CommLevel {
        CommLevel0 = 0,
        CommLevel1 = 1,
        CommLevel2 = 2
    };
    Q_ENUM(CommLevel)

    //! The moments of a command that NECommandExecutionStatusSignal reports.
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

    //! The store, created on the first call; it lives in the calling thread,
    //! where its reactions run: call it first from the host's main thread.
    static AXOCommData *instance();
    //! Stops every thread and worker, waits for them (seconds at most) and
    //! deletes the store. Not from a receiver of its signals.
    static void drop();

    //! The communication level of the last start (process-wide, not per driver).
    CommLevel commLevel() const { return m_commLevel; }
    //! Sets the level (the start does, at its end).
    void setCommLevel(CommLevel level) { m_commLevel = level; }
    //! Whether mixers are managed (process-wide; set by the start).
    bool mixerMngm() const { return m_mixerMngm; }
    //! Sets mixer management.
    void setMixerMngm(bool enabled) { m_mixerMngm = enabled; }

    //! The client ID the host started with; sessions log in with it.
    QString clientID() const;
    //! An empty text is ignored.
    void setClientID(const QString &clientID);

    // Drivers.
    //! The registered drivers' IDs, ascending.
    QList<int> getDriverIDs() const;
    //! The registered drivers with their types.
    QList<QPair<int, DriverTypes>> getDrivers() const;
    //! The driver's type; -1 when the driver is not registered.
    int getDriverType(int driverID) const;
    //! A registered driver of the standard type.
    bool isAXODriver(int driverID) const { return getDriverType(driverID) == AXOdriver; }
    //! A registered slave driver.
    bool isSlaveDriver(int driverID) const { return getDriverType(driverID) == SlaveDriver; }
    //! The driver's parameters; *found false (and defaults) when it is not registered.
    NEDriverParams getDriverParamsForDriver(int driverID, bool *found = nullptr) const;
    //! A copy of every registered driver's parameters.
    NEDriverParamsList getDriverParamsList() const;
    //! Replaces a registered driver's parameters; false when it is not registered.
    bool setDriverParamsForDriver(int driverID, const NEDriverParams &params);
    //! Replaces the list, then creates and drops the driver records to match.
    void setDriverParamsList(const NEDriverParamsList &list);
    //! Whether the driver's address is 127.0.0.1.
    bool isDriverLocalhost(int driverID, bool *found = nullptr) const;
    //! 1 without drivers, else the highest registered ID + 1.
    int getNextDriverID() const;
    //! Registers a driver (the communication manager's entry).
    void addDriverParams(const NEDriverParams &params);
    //! Probes one driver; a driver found on another port rewrites params.
    //! The probe's connection is kept for the driver's first commands.
    static bool checkDriverConnection(NEDriverParams &params);
    //! The open connections to the drivers that no thread uses (internal).
    NEXmlRpcClientPool *clientPool() const { return m_clientPool.get(); }
    //! Probes every registered driver, rewriting the parameters of one found
    //! elsewhere; true when any answered.
    bool checkDriverConnections();
    //! Creates and drops the driver's machine records of that type to match the IDs.
    void updateMachineDataList(int driverID, const QList<MachineID> &ids, MachineID::SerialDeviceType type);

    // Sessions.
    //! Stores a session; false when the driver and machine already have one.
    bool appendSession(const Session &session);
    //! Whether the machine has a session.
    bool existSession(int driverID, const MachineID &machineID) const;
    //! The machine's session; false when none.
    bool getSession(int driverID, const MachineID &machineID, Session &out) const;
    //! The machine's session ID; empty when none.
    QString getSessionID(int driverID, const MachineID &machineID) const;
    //! The driver's first session of a machine number 0; false when none.
    bool getGenericDispSession(int driverID, Session &out) const;
    //! The client ID of the first session that has one; else, with
    //! useDefault, clientID(), otherwise empty.
    QString getFirstClientID(bool useDefault) const;
    //! A copy of every session.
    QList<Session> getSessionList() const;
    //! The machines of every session, of all drivers.
    QList<MachineID> getSessionsMachineIDs() const;
    //! Whether any session is stored.
    bool hasSessions() const;
    //! Whether any session of that driver is stored.
    bool hasSessions(int driverID) const;
    //! Forgets every session of the driver (it no longer knows them); the
    //! number forgotten.
    int removeDriverSessions(int driverID);
    //! Forgets the session (without logging out); false when unknown.
    bool removeSession(const QString &sessionID);
    //! Forgets every session of every driver (without logging out).
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
    //! The number of commands waiting in that queue; 0 without one.
    int commandQueueCount(int driverID, const MachineID &machineID, QueueType queueType) const;
    //! Whether that queue exists (it comes with its command thread).
    bool existCommandQueue(int driverID, const MachineID &machineID, QueueType queueType) const;
    //! Empties the queue; its commands end "interrupted" once no lock is held.
    bool clearCommandQueue(int driverID, const MachineID &machineID, QueueType queueType);
    //! Removes the driver's queues (-1: all); their commands fail (TE00486).
    void removeAllCommandQueues(int driverID);

    // Queue workers.
    //! NECmdManager::executeCommand() without the null check's error record.
    bool sendCommand(NECommand *cmd, bool blocking, bool copy);
    //! NECmdManager::executeCommands() without the empty list's error record.
    bool sendCommands(const QList<NECommand *> &cmds, bool blocking, bool copy);
    //! Library shut-down: every queue worker stops following its commands
    //! (those still queued end "interrupted"). Registering a driver again
    //! (addDriverParams) clears it.
    void stopAllQueueThreads();
    //! Lets the queue workers follow their commands again.
    void resetQueueThreadsAbort();
    //! Whether stopAllQueueThreads() is in effect.
    bool isQueueThreadsAbortSet() const;

    // Driver communication threads.
    //! Creates the thread of that key and its queue without starting it;
    //! true when it exists; false for an unregistered driver or bad type.
    bool createDriverCommThread(int driverID, const MachineID &machineID,
                                NEDriverParams::DriverThreadTypes threadType);
    //! Creates (when needed) and starts the thread of that key; a start
    //! of a running thread counts, so it takes as many stops.
    bool startDriverCommThread(int driverID, const MachineID &machineID,
                               NEDriverParams::DriverThreadTypes threadType);
    //! Stops the thread: only the last of several starts does, unless force;
    //! with wait, waits up to 1 s for it; with remove, deletes it and, with
    //! the last thread of its queue, the queue (its commands fail). True when
    //! there was no such thread.
    bool stopDriverCommThread(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes threadType,
                              bool wait, bool force, bool remove);
    //! Pauses the thread (it takes no commands, polls nothing); false without one.
    bool pauseDriverCommThread(int driverID, const MachineID &machineID,
                               NEDriverParams::DriverThreadTypes threadType);
    //! Resumes a paused thread; false without one.
    bool resumeDriverCommThread(int driverID, const MachineID &machineID,
                                NEDriverParams::DriverThreadTypes threadType);
    //! The thread of that key; null when none. The pointer stays valid until
    //! that thread is removed or its driver closed.
    NEXmlRpcThread *getDriverCommThread(int driverID, const MachineID &machineID,
                                        NEDriverParams::DriverThreadTypes threadType) const;
    //! Whether the thread of that key exists.
    bool existsDriverCommThread(int driverID, const MachineID &machineID,
                                NEDriverParams::DriverThreadTypes threadType) const;
    //! Whether the thread of that key exists and is not paused.
    bool isDriverCommThreadActive(int driverID, const MachineID &machineID,
                                  NEDriverParams::DriverThreadTypes threadType) const;
    //! The machines that have a thread of that type (any type for an invalid one).
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
    //! Records the error on the machine (cleared first with clear) and signals
    //! as mode says; dropped, only logged, when the store has no such machine.
    void setError(int driverID, const MachineID &machineID, const FW_DriverError &error, bool clear,
                  EmitEventMode mode);
    //! The same on the driver's generic dispenser machine {0, 1}.
    void setError(int driverID, const FW_DriverError &error, bool clear, EmitEventMode mode);
    //! The same on driver 0, which is never registered by a start: the record
    //! is only logged at debug level.
    void setError(const FW_DriverError &error, bool clear, EmitEventMode mode);
    //! setError() on dispenser {dispID, 1}.
    void setDispError(int driverID, int dispID, const FW_DriverError &error, bool clear, EmitEventMode mode);
    //! setError() on mixer {mixerID, 4}.
    void setMixerError(int driverID, int mixerID, const FW_DriverError &error, bool clear, EmitEventMode mode);
    //! Replaces the machine's errors, adds them to its history, and signals.
    void setErrorList(int driverID, const MachineID &machineID, const FW_ErrorList &list);
    //! Adds the records the machine does not have yet, logs them, and signals.
    void appendErrorList(int driverID, const MachineID &machineID, const FW_ErrorList &list);
    //! A copy of the machine's current errors.
    FW_ErrorList getErrorList(int driverID, const MachineID &machineID) const;
    //! A copy of every error recorded for the machine.
    FW_ErrorList getErrorHistoryList(int driverID, const MachineID &machineID) const;

    //! Clears the errors of the machine and of the generic machine of its
    //! kind: all of them, or (all false) all but the driver errors.
    void clearErrorList(int driverID, const MachineID &machineID, bool all);
    //! Removes the errors of those kinds, as clearErrorList().
    void clearErrorListTypes(int driverID, const MachineID &machineID, const QList<FW_Error::ErrorType> &types);
    //! The machine's current errors of those kinds.
    FW_ErrorList getFilteredErrorList(int driverID, const MachineID &machineID,
                                      const QList<FW_Error::ErrorType> &types) const;

    // Status lists of the driver's machines (AXOCommDataStatus.cpp). The
    // setters keep the list before the last one as the previous generation.
    //! Stores the driver's dispenser entries and signals what changed (the
    //! machine list signal too with emitMachineSignal); false for an unknown driver.
    bool setDispenserStatusList(int driverID, const QList<DispenserStatus> &list, bool emitMachineSignal);
    //! Stores the driver's mixer entries and signals what changed.
    bool setMixerStatusList(int driverID, const QList<MixerStatus> &list);
    //! Stores the entries of every kind (the objects stay the caller's) and signals.
    bool setMachineStatusList(int driverID, const QList<MachineStatus *> &list);
    //! Marks every dispenser entry inactive, without signals.
    bool setAllDispensersInactive(int driverID);
    //! Marks every mixer entry inactive, without signals.
    bool setAllMixersInactive(int driverID);
    //! Removes the dispenser's entry if inactive (any with force).
    bool removeDispenserStatus(int driverID, int dispID, bool force);
    //! Removes the mixer's entry if inactive (any with force).
    bool removeMixerStatus(int driverID, int mixerID, bool force);
    //! The driver's dispenser entries.
    QList<DispenserStatus> getDispenserStatusList(int driverID) const;
    //! The dispenser entries before the last update.
    QList<DispenserStatus> getDispenserStatusList_OLD(int driverID) const;
    //! The driver's mixer entries.
    QList<MixerStatus> getMixerStatusList(int driverID) const;
    //! The mixer entries before the last update.
    QList<MixerStatus> getMixerStatusList_OLD(int driverID) const;
    //! New status objects of every machine of the type bits; the caller deletes them.
    QList<MachineStatus *> getMachineStatusList(int driverID, int typeMask) const;
    //! The same, active machines only.
    QList<MachineStatus *> getActiveMachinesList(int driverID, int typeMask) const;
    //! A new status object of the machine; null when it is not listed.
    MachineStatus *getMachineStatusByMachineID(int driverID, const MachineID &machineID) const;
    //! The dispenser's entry; false when not listed.
    bool getDispenserStatusByDispID(int driverID, int dispID, DispenserStatus &out) const;
    //! The mixer's entry; false when not listed.
    bool getMixerStatusByMixerID(int driverID, int mixerID, MixerStatus &out) const;
    //! The active dispensers' entries.
    QList<DispenserStatus> getActiveDispenserList(int driverID) const;
    //! The active mixers' entries.
    QList<MixerStatus> getActiveMixerList(int driverID) const;
    //! The active dispensers' numbers.
    QList<int> getActiveDispenserIDs(int driverID) const;
    //! The active mixers' numbers.
    QList<int> getActiveMixerIDs(int driverID) const;
    //! The active machines of the type bits (MachineID::AllTypes for all).
    QList<MachineID> getActiveMachineIDs(int driverID, int typeMask) const;
    //! The number of active dispensers.
    int activeDispenserNum(int driverID) const;
    //! The number of active mixers.
    int activeMixerNum(int driverID) const;
    //! The first active dispenser in list order; false when none.
    bool getFirstActiveDispenserID(int driverID, int *out) const;
    //! The first active mixer in list order; false when none.
    bool getFirstActiveMixerID(int driverID, int *out) const;
    //! The first active machine of the type bits; false when none.
    bool getFirstActiveMachineID(int driverID, int typeMask, MachineID &out) const;
    //! Whether the dispenser is listed.
    bool containsDispenserID(int driverID, int dispID) const;
    //! Whether the mixer is listed.
    bool containsMixerID(int driverID, int mixerID) const;
    //! Listed, active, and its standard command thread running unpaused.
    bool isActiveDispenser(int driverID, int dispID) const;
    //! As isActiveDispenser(), for a mixer.
    bool isActiveMixer(int driverID, int mixerID) const;
    //! As isActiveDispenser(), for any machine.
    bool isActiveMachine(int driverID, const MachineID &machineID) const;
    //! Active in the last list and not in the one before.
    QList<int> getLastConnectedDispensers(int driverID) const;
    //! The same for mixers.
    QList<int> getLastConnectedMixers(int driverID) const;
    //! Active in the list before the last and not in the last.
    QList<int> getLastDisconnectedDispensers(int driverID) const;
    //! The same for mixers.
    QList<int> getLastDisconnectedMixers(int driverID) const;
    //! Machines active now that were not, or whose configuration identity changed.
    QList<MachineID> getLastConnectedOrReconfiguredMachineIDs(int driverID) const;

    // Driver status answers of the machines (AXOCommDataStatus.cpp). Getters
    // hand out copies: the stored answers are replaced by the next update.
    //! Stores (a copy of) the dispenser's driver status; signals.
    void setCurrentDispenserStatus(int driverID, int dispID, const DispenserDriverStatusAnswer *status);
    //! Stores (a copy of) the machine's driver status; signals for its kind and as a machine.
    void setCurrentMachineStatus(int driverID, const MachineID &machineID, const MachineDriverStatusAnswer *status);
    //! Whether a driver status is stored for the dispenser.
    bool hasDispenserStatus(int driverID, int dispID) const;
    //! Whether the one before it is stored.
    bool hasPreviousDispenserStatus(int driverID, int dispID) const;
    //! Whether a driver status is stored for the machine.
    bool hasMachineStatus(int driverID, const MachineID &machineID) const;
    //! Whether the one before it is stored.
    bool hasPreviousMachineStatus(int driverID, const MachineID &machineID) const;
    //! A copy of the dispenser's driver status; null when none.
    std::unique_ptr<DispenserDriverStatusAnswer> currentDispenserDriverStatus(int driverID, int dispID) const;
    //! A copy of the one before; null when none.
    std::unique_ptr<DispenserDriverStatusAnswer> previousDispenserDriverStatus(int driverID, int dispID) const;
    //! A copy of the driver status last stored for the machine; null when none.
    std::unique_ptr<MachineDriverStatusAnswer> currentMachineDriverStatus(int driverID,
                                                                         const MachineID &machineID) const;
    //! A copy of the one before; null when none.
    std::unique_ptr<MachineDriverStatusAnswer> previousMachineDriverStatus(int driverID,
                                                                          const MachineID &machineID) const;
    //! The board's own status part of an active dispenser; null otherwise.
    std::unique_ptr<DispenserStatusAnswer> dispenserStatus(int driverID, int dispID) const;
    //! The machine's own status part while it is active; null otherwise.
    std::unique_ptr<MachineStatusAnswer> machineStatus(int driverID, const MachineID &machineID) const;
    //! The dispenser's driver status says it accepts commands; false without one.
    bool dispenserAcceptCommands(int driverID, int dispID) const;
    //! It is ready for point-of-sale (dispensing) commands.
    bool dispenserAcceptPOSCommands(int driverID, int dispID) const;
    //! It accepts process commands.
    bool dispenserAcceptProcessCommands(int driverID, int dispID) const;
    //! As dispenserAcceptCommands(), for any machine.
    bool machineAcceptCommands(int driverID, const MachineID &machineID) const;
    //! As dispenserAcceptPOSCommands(), for any machine.
    bool machineAcceptPOSCommands(int driverID, const MachineID &machineID) const;
    //! As dispenserAcceptProcessCommands(), for any machine.
    bool machineAcceptProcessCommands(int driverID, const MachineID &machineID) const;
    //! Not dispenserAcceptCommands().
    bool isDispenserUnavailable(int driverID, int dispID) const;
    //! dispenserAcceptCommands().
    bool isDispenserAvailable(int driverID, int dispID) const { return !isDispenserUnavailable(driverID, dispID); }
    //! Not machineAcceptCommands().
    bool isMachineUnavailable(int driverID, const MachineID &machineID) const;
    //! machineAcceptCommands().
    bool isMachineAvailable(int driverID, const MachineID &machineID) const
    {
        return !isMachineUnavailable(driverID, machineID);
    }

    // Firmware, sensors, scale and cleaning (AXOCommDataStatus.cpp).
    //! Stores the machine's firmware program; NEFirmwareVersionChangedSignal when it differs.
    void setFwProgram(int driverID, const MachineID &machineID, const FW_Program &program);
    //! Stores the boot-loader flag; NEFirmwareProgramChangedSignal when it changes.
    void setBootLoaderActive(int driverID, const MachineID &machineID, bool active);
    //! The machine's firmware program; an empty one when unknown.
    FW_Program fwProgram(int driverID, const MachineID &machineID) const;
    //! The configuration version of its firmware; 0 when unknown.
    int fwConfigVersion(int driverID, const MachineID &machineID) const;
    //! The protocol version of its firmware; 0 when unknown.
    int fwProtocolVersion(int driverID, const MachineID &machineID) const;
    //! Whether the machine runs its boot loader.
    bool isBootLoaderActive(int driverID, const MachineID &machineID) const;
    //! Not isBootLoaderActive() (true for an unknown machine).
    bool isApplicationProgramActive(int driverID, const MachineID &machineID) const;
    //! Emits NEHumidifierValuesChangedSignal (the sensors thread does).
    void NEEmitHumidifierValuesChangedSignal(int driverID, int dispID, double temperatureValue, double humidityValue);
    //! Emits NEGearACMotorValuesChangedSignal (the sensors thread does).
    void NEEmitGearACMotorValuesChangedSignal(int driverID, int dispID, double pumpMotorSpeed,
                                              double inverterCurrent);
    //! Stores (a copy of) the scale's weight; signals when it differs. Null clears it.
    void setWeightAnswer(int driverID, int dispID, const WeightAnswer *answer);
    //! A copy of the last weight; null when none.
    std::unique_ptr<WeightAnswer> weightAnswer(int driverID, int dispID) const;
    //! Stores the ultrasonic cleaner's water status; signals when it differs.
    void setUssWaterChangeStatus(int driverID, int dispID, const UssWaterChangeStatus &status);
    //! A copy of that status; null when none.
    std::unique_ptr<UssWaterChangeStatus> ussWaterChangeStatus(int driverID, int dispID) const;

    // Configuration, calibration, settings and command lists (AXOCommDataConfig.cpp).
    //! Stores the shared configuration, then logs in its machines and logs
    //! out the others (blocking, in the calling thread), then NEConfigurationChanged.
    bool setConfiguration(int driverID, const FW_Configuration &configuration);
    //! Stores the factory configuration, without signal.
    bool setFactoryConfiguration(int driverID, const FW_Configuration &configuration);
    //! Kind 0: the shared configuration, 1: the factory one.
    bool setDriverConfiguration(int driverID, int kind, const FW_Configuration &configuration);
    //! Adds the dispenser to the shared configuration (as setConfiguration()).
    bool addDispenser(int driverID, const FW_Dispenser &dispenser);
    //! Replaces the dispenser in the shared configuration, or adds it.
    bool saveDispenser(int driverID, const FW_Dispenser &dispenser);
    //! Replaces the machine in the shared configuration, or adds it.
    bool saveMachine(int driverID, const FW_Machine *machine);
    //! Replaces the dispenser of that number in the shared configuration.
    bool updateDispenser(int driverID, const FW_Dispenser &dispenser);
    //! Removes the machine from the shared configuration.
    bool removeMachine(int driverID, const MachineID &machineID);
    //! Stores the profiles; signals the kinds marked changed.
    bool setCalibrationProfiles(int driverID, const FW_CalibrationProfiles &profiles, bool customChanged,
                                bool defaultChanged);
    //! Stores the driver's settings, without signal.
    bool setDriverSettings(int driverID, const DriverSettings &settings);
    //! Stores the driver's version, without signal.
    bool setDriverVersion(int driverID, const QVersionNumber &version);
    //! Stores the commands the driver supports for the machine.
    void setCommandList(int driverID, const MachineID &machineID, const QList<ProtocolCommandInfo> &commands);
    //! A copy of the shared (working) configuration; empty for an unknown driver.
    FW_Configuration getSharedConfiguration(int driverID) const;
    //! A copy of the factory configuration.
    FW_Configuration getFactoryConfiguration(int driverID) const;
    //! Whether a factory configuration is stored.
    bool existsAFactoryConfiguration(int driverID) const;
    //! A copy of every calibration profile.
    FW_CalibrationProfiles getSharedCalibrationProfiles(int driverID) const;
    //! The custom profiles only.
    FW_CalibrationProfiles getCustomCalibrationProfiles(int driverID) const;
    //! The default profiles only.
    FW_CalibrationProfiles getDefaultCalibrationProfiles(int driverID) const;
    //! The configuration identities of the shared configuration's machines.
    QList<ConfigID> getConfigIDList(int driverID) const;
    //! A copy of the configured dispenser; an empty one when none.
    FW_Dispenser getDispenser(int driverID, int dispID) const;
    //! A copy of the configured machine; null when there is none.
    std::unique_ptr<FW_Machine> getMachine(int driverID, const MachineID &machineID) const;
    //! Whether the shared configuration has the machine.
    bool existsMachineID(int driverID, const MachineID &machineID) const;
    //! The configured dispensers' numbers (of known models only, if asked).
    QList<int> getDispensersID(int driverID, bool onlyKnownModels) const;
    //! The number of configured dispensers.
    int getNumOfDispensers(int driverID, bool onlyKnownModels) const;
    //! The number of configured mixers.
    int getNumOfMixers(int driverID, bool onlyKnownModels) const;
    //! The number of configured machines.
    int getNumOfMachines(int driverID, bool onlyKnownModels) const;
    //! The number of pump models in the calibration profiles.
    int getNumOfPumpModels(int driverID) const;
    //! The stored driver settings; false for an unknown driver.
    bool getDriverSettings(int driverID, DriverSettings &out) const;
    //! The stored driver version; false for an unknown driver.
    bool getDriverVersion(int driverID, QVersionNumber &out) const;
    //! The commands the driver supports for the machine (empty: unknown).
    QList<ProtocolCommandInfo> getCommandList(int driverID, const MachineID &machineID) const;
    //! True when nothing is known of the machine's commands, or the name is among them.
    bool isCommandSupported(int driverID, const MachineID &machineID, const QString &name) const;
    //! isCommandSupported() for every name.
    bool areCommandsSupported(int driverID, const MachineID &machineID, const QStringList &names) const;
    //! The version the driver gives the command for the machine; 0 when not listed.
    int getCommandVersion(int driverID, const MachineID &machineID, const QString &name) const;

    // Messages to the application.
    //! Emits NECommandEnqueuedSignal, then NECommandExecutionStatusSignal.
    void NEEmitCommandEnqueuedSignal(const NECommand &command);
    //! Emits NECommandSentSignal, then NECommandExecutionStatusSignal.
    void NEEmitCommandSentSignal(const NECommand &command);
    //! Emits NECommandProgressSignal, then NECommandExecutionStatusSignal.
    void NEEmitCommandProgressSignal(const NECommand &command);
    //! Emits NECommandExecutedSignal, then NECommandExecutionStatusSignal.
    void NEEmitCommandExecutedSignal(const NECommand &command);
    //! Emits NEAppMessageSignal.
    void NEEmitAppMessageSignal(const QString &message, bool error);
    //! Emits NETraceLogMessage (the library itself never calls it).
    void NEEmitLogMessage(const QString &message, int level);

signals:
    //! A command was enqueued. Emitted in the thread that enqueued it.
    void NECommandEnqueuedSignal(const NECommand &command);
    //! A command reached its driver thread.
    void NECommandSentSignal(const NECommand &command);
    //! A ticket-followed command reported progress.
    void NECommandProgressSignal(const NECommand &command);
    //! A command ended; also every changed answer of a polling thread
    //! (emitted in that thread, without enqueued or sent signals).
    void NECommandExecutedSignal(const NECommand &command);
    //! Follows each of the four command signals, with the event.
    void NECommandExecutionStatusSignal(AXOCommData::CommandEvent cmdEvent, const NECommand &command);
    //! A dispenser was added or removed, or changed activity, model,
    //! accept flags, configuration identity, circuits or scale.
    void NEDispenserStatusListChanged(int driverID);
    //! The same for mixers.
    void NEMixerStatusListChanged(int driverID);
    //! A machine list of the driver was stored.
    void NEMachineStatusListChanged(int driverID);
    //! The scales among the driver's entries changed.
    void NEScaleStatusListChanged(int driverID);
    //! The machine's errors were added, replaced or cleared; changed false
    //! when a record already there was set again.
    void NEErrorListUpdated(int driverID, const MachineID &machineID, bool changed);
    //! The machine's boot loader went on or off (despite the name).
    void NEFirmwareProgramChangedSignal(int driverID, const MachineID &machineID);
    //! New humidifier readings (emitted in the sensors thread).
    void NEHumidifierValuesChangedSignal(int driverID, int dispID, const double &temperatureValue,
                                         const double &humidityValue);
    //! New gear-motor readings (emitted in the sensors thread).
    void NEGearACMotorValuesChangedSignal(int driverID, int dispID, const double &pumpMotorSpeed,
                                          const double &inverterCurrent);
    //! Another weight (emitted in the scale-weight thread).
    void NECurrentScaleWeightChangedSignal(int driverID, int dispID);
    //! Another ultrasonic cleaner water status.
    void NEUSSCleaningStatusChangedSignal(int driverID, int dispID);
    //! A dispenser's driver status was stored.
    void NEDispenserDriverStatusChangedSignal(int driverID, int dispID);
    //! A mixer's driver status was stored.
    void NEMixerDriverStatusChangedSignal(int driverID, int mixerID);
    //! A machine's driver status was stored.
    void NEMachineDriverStatusChangedSignal(int driverID, const MachineID &machineID);
    //! The machine's firmware program changed (see setFwProgram()).
    void NEFirmwareVersionChangedSignal(int driverID, const MachineID &machineID);
    //! A text for the user; error marks it as one.
    void NEAppMessageSignal(const QString &message, bool error);
    //! Only through NEEmitLogMessage(); the library logs through NELogger.
    void NETraceLogMessage(QString logMessage, int level);
    //! The shared configuration was stored or edited.
    void NEConfigurationChanged(int driverID);
    //! The default calibration profiles were stored.
    void NEDefaultCalibrationProfilesChanged(int driverID);
    //! The custom calibration profiles were stored.
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
    // Before the threads: they give connections back to it until they end.
    std::unique_ptr<NEXmlRpcClientPool> m_clientPool;
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
