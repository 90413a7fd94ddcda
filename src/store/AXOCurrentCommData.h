#ifndef AXOCURRENTCOMMDATA_H
#define AXOCURRENTCOMMDATA_H

#include "AXOCommData.h"
#include "AXOCommGlobal.h"
#include "FW_Mixer.h"
#include "MachineID.h"
#include "MachineModel.h"

#include <QtCore/QMutex>
#include <QtCore/QObject>
#include <QtCore/QPointer>

#include <memory>

class DispenserDriverStatusAnswer;
class DispenserInfo;
class MachineInfo;
class DispenserStatusAnswer;
class FW_Machine;
class MachineDriverStatusAnswer;
class MachineStatusAnswer;
class MixerStatusAnswer;
class UssWaterChangeStatus;
class WeightAnswer;

//! The host's current driver and machine, and the data store seen through
//! them: the screens of a host work on one machine at a time, and ask this
//! facade instead of naming the driver and the machine in every call.
//!
//! Selection. The current machine is a dispenser {n, 1} or a mixer {n, 4};
//! {0, 0} until one is selected. The current dispenser (mixer) ID is its
//! number while the current machine is a dispenser (mixer), else 0. The
//! current driver ID is 0, which names no driver, until the host sets it.
//! Selecting another machine emits NECurrentMachineChanged; setting the
//! driver ID emits nothing.
//!
//! Queries. Every query reads the current driver and machine and asks the
//! store (AXOCommData) the operation of the same name for them. Answers are
//! copies: a status object handed out stays the caller's, whatever the store
//! stores next. For a driver that is no longer registered they answer as the
//! store does for an unknown driver (false, 0, null, empty).
//!
//! Signals. The facade follows the store's change signals and re-emits,
//! without the driver and machine arguments, those that concern the current
//! driver and machine; a change on another machine or another driver is not
//! re-emitted. It does so in the thread in which the store emitted, that is
//! often a driver communication thread: a receiver living in the host's
//! thread and connected with Qt's automatic connection type gets them queued
//! to its thread by Qt, a receiver connected directly runs in the emitting
//! thread. Which machine a change concerns is decided when the store emits;
//! a change that arrives while the host selects another machine may still
//! be re-emitted for the machine before: receivers read the facade again on
//! every signal, and so answer for the machine current then.
//!
//! Threads. The current driver and machine are guarded by one lock, held only
//! to read or write them: never while the store is asked nor while a signal
//! is emitted. Selecting belongs to the host's thread; queries may come from
//! any thread.
class AXOCOMM_EXPORT AXOCurrentCommData : public QObject
{
    Q_OBJECT

public:
    //! Creates the facade on the first call. Follows the store existing at
    //! that call, and the one created after it was dropped from the next call on.
    static AXOCurrentCommData *instance();
    //! Stops following the store, waits for the re-emissions in progress in
    //! other threads, and deletes the facade. Not from a receiver of its signals.
    static void drop();

    // ---------------------------------------------------------------- selection
    //! Sets the current driver, without signal (the start does).
    void setCurrentDriverID(int driverID);
    //! The current driver; 0 (no driver) until set.
    int currentDriverID() const;
    //! Selects {n, 1} when the type has the dispenser bit and n >= 0, else
    //! {n, 4} when it has the mixer bit; false, and nothing changes, otherwise.
    bool setCurrentMachineID(const MachineID &machineID);
    //! False for a negative number.
    bool setCurrentDispenserID(int dispID);
    //! Selects mixer {mixerID, 4}; always true, a negative number too.
    bool setCurrentMixerID(int mixerID);
    //! Selects the dispenser when the current driver's shared configuration
    //! has one with its number; false otherwise.
    bool setCurrentDispenser(const FW_Dispenser &dispenser);
    //! The current machine; {0, 0} until one is selected.
    MachineID currentMachineID() const;
    //! The current machine's number while it is a dispenser, else 0.
    int currentDispenserID() const;
    //! The current machine's number while it is a mixer, else 0.
    int currentMixerID() const;
    //! The current machine's type.
    MachineID::SerialDeviceType currentDevice() const;
    //! The current machine is a dispenser.
    bool isCurrentDeviceDispenser() const;
    //! The current machine is a mixer.
    bool isCurrentDeviceMixer() const;

    // ---------------------------------------------------------------- status lists of the current driver
    //! AXOCommData::activeDispenserNum() for the current driver.
    int activeDispenserNum() const;
    //! AXOCommData::activeMixerNum() for the current driver.
    int activeMixerNum() const;
    //! AXOCommData::getActiveDispenserIDs() for the current driver.
    QList<int> getActiveDispenserIDs() const;
    //! AXOCommData::getActiveDispenserList() for the current driver.
    QList<DispenserStatus> getActiveDispenserList() const;
    //! AXOCommData::getActiveMachineIDs() for the current driver.
    QList<MachineID> getActiveMachineIDs(int typeMask) const;
    //! New status objects; the caller deletes them.
    QList<MachineStatus *> getActiveMachinesList(int typeMask) const;
    //! The number of active machines of the type bits.
    int getNumOfActiveMachines(int typeMask) const;
    //! AXOCommData::getDispenserStatusList() for the current driver.
    QList<DispenserStatus> getDispenserStatusList() const;
    //! AXOCommData::getDispenserStatusList_OLD() for the current driver.
    QList<DispenserStatus> getDispenserStatusList_OLD() const;
    //! AXOCommData::getDispenserStatusByDispID() for the current driver.
    bool getDispenserStatusByDispID(int dispID, DispenserStatus &out) const;
    //! AXOCommData::getFirstActiveDispenserID() for the current driver.
    bool getFirstActiveDispenserID(int *out) const;
    //! AXOCommData::getFirstActiveMachineID() for the current driver.
    bool getFirstActiveMachineID(int typeMask, MachineID &out) const;
    //! AXOCommData::getLastConnectedDispensers() for the current driver.
    QList<int> getLastConnectedDispensers() const;
    //! AXOCommData::getLastDisconnectedDispensers() for the current driver.
    QList<int> getLastDisconnectedDispensers() const;
    //! New status objects; the caller deletes them.
    QList<MachineStatus *> getMachineStatusList(int typeMask) const;
    //! The machine's entry in the current driver's lists; null when not listed.
    std::unique_ptr<MachineStatus> getMachineStatusByMachineID(const MachineID &machineID) const;
    //! AXOCommData::containsDispenserID() for the current driver.
    bool containsDispenserID(int dispID) const;
    //! AXOCommData::isActiveDispenser() for the current driver.
    bool isActiveDispenser(int dispID) const;
    //! AXOCommData::isActiveMachine() for the current driver.
    bool isActiveMachine(const MachineID &machineID) const;
    //! AXOCommData::removeDispenserStatus() for the current driver.
    bool removeDispenserStatus(int dispID, bool force);
    //! Stores the list and announces the machine list as well.
    bool setDispenserStatusList(const QList<DispenserStatus> &list);

    // ---------------------------------------------------------------- configuration of the current driver
    //! AXOCommData::getSharedConfiguration() for the current driver.
    FW_Configuration getSharedConfiguration() const;
    //! AXOCommData::getFactoryConfiguration() for the current driver.
    FW_Configuration getFactoryConfiguration() const;
    //! AXOCommData::existsAFactoryConfiguration() for the current driver.
    bool existsAFactoryConfiguration() const;
    //! AXOCommData::getSharedCalibrationProfiles() for the current driver.
    FW_CalibrationProfiles getSharedCalibrationProfiles() const;
    //! AXOCommData::getCustomCalibrationProfiles() for the current driver.
    FW_CalibrationProfiles getCustomCalibrationProfiles() const;
    //! AXOCommData::getDefaultCalibrationProfiles() for the current driver.
    FW_CalibrationProfiles getDefaultCalibrationProfiles() const;
    //! AXOCommData::getNumOfDispensers() for the current driver.
    int getNumOfDispensers(bool onlyKnownModels) const;
    //! AXOCommData::getNumOfPumpModels() for the current driver.
    int getNumOfPumpModels() const;
    //! AXOCommData::getDriverSettings() for the current driver.
    bool getDriverSettings(DriverSettings &out) const;
    //! AXOCommData::existsMachineID() for the current driver.
    bool existsMachineID(const MachineID &machineID) const;
    //! AXOCommData::fwProgram() for the current driver.
    FW_Program fwProgram(const MachineID &machineID) const;
    //! AXOCommData::fwConfigVersion() for the current driver.
    int fwConfigVersion(const MachineID &machineID) const;
    //! AXOCommData::fwProtocolVersion() for the current driver.
    int fwProtocolVersion(const MachineID &machineID) const;
    //! AXOCommData::setConfiguration() for the current driver. Blocks while sessions are refreshed.
    bool setConfiguration(const FW_Configuration &configuration);
    //! AXOCommData::setFactoryConfiguration() for the current driver.
    bool setFactoryConfiguration(const FW_Configuration &configuration);
    //! AXOCommData::setDriverConfiguration() for the current driver.
    bool setDriverConfiguration(int kind, const FW_Configuration &configuration);
    //! AXOCommData::setDriverSettings() for the current driver.
    bool setDriverSettings(const DriverSettings &settings);
    //! AXOCommData::setCalibrationProfiles() for the current driver.
    bool setCalibrationProfiles(const FW_CalibrationProfiles &profiles, bool customChanged, bool defaultChanged);
    //! AXOCommData::addDispenser() for the current driver.
    bool addDispenser(const FW_Dispenser &dispenser);
    //! AXOCommData::saveDispenser() for the current driver.
    bool saveDispenser(const FW_Dispenser &dispenser);
    //! AXOCommData::updateDispenser() for the current driver.
    bool updateDispenser(const FW_Dispenser &dispenser);
    //! AXOCommData::removeMachine() for the current driver.
    bool removeMachine(const MachineID &machineID);
    //! AXOCommData::setFwProgram() for the current driver.
    void setFwProgram(const MachineID &machineID, const FW_Program &program);
    //! AXOCommData::updateMachineDataList() for the current driver.
    void updateMachineDataList(const QList<MachineID> &ids, MachineID::SerialDeviceType type);
    //! AXOCommData::ussWaterChangeStatus() for the current driver.
    std::unique_ptr<UssWaterChangeStatus> ussWaterChangeStatus(int dispID) const;
    //! AXOCommData::weightAnswer() for the current driver.
    std::unique_ptr<WeightAnswer> weightAnswer(int dispID) const;
    //! AXOCommData::setUssWaterChangeStatus() for the current driver.
    void setUssWaterChangeStatus(int dispID, const UssWaterChangeStatus &status);
    //! AXOCommData::setWeightAnswer() for the current driver.
    void setWeightAnswer(int dispID, const WeightAnswer *answer);

    // ---------------------------------------------------------------- the current driver
    //! AXOCommData::isAXODriver() for the current driver.
    bool isAXODriver() const;
    //! AXOCommData::isSlaveDriver() for the current driver.
    bool isSlaveDriver() const;
    //! AXOCommData::isDriverLocalhost() for the current driver.
    bool isCurrentDriverLocalhost(bool *found = nullptr) const;

    // ---------------------------------------------------------------- the current machine
    //! AXOCommData::getErrorList() for the current machine.
    FW_ErrorList getErrorList() const;
    //! AXOCommData::getErrorHistoryList() for the current machine.
    FW_ErrorList getErrorHistoryList() const;
    //! AXOCommData::setError() for the current machine.
    void setError(const FW_DriverError &error, bool clear, AXOCommData::EmitEventMode mode);
    //! AXOCommData::setErrorList() for the current machine.
    void setErrorList(const FW_ErrorList &list);
    //! AXOCommData::appendErrorList() for the current machine.
    void appendErrorList(const FW_ErrorList &list);
    //! AXOCommData::clearErrorList() for the current machine.
    void clearErrorList(bool all);
    //! AXOCommData::clearErrorListTypes() for the current machine.
    void clearErrorListTypes(const QList<FW_Error::ErrorType> &types);
    //! AXOCommData::getCommandList() for the current machine.
    QList<ProtocolCommandInfo> getCommandList() const;
    //! AXOCommData::setCommandList() for the current machine.
    void setCommandList(const QList<ProtocolCommandInfo> &commands);
    //! AXOCommData::isCommandSupported() for the current machine.
    bool isCommandSupported(const QString &name) const;
    //! AXOCommData::areCommandsSupported() for the current machine.
    bool areCommandsSupported(const QStringList &names) const;
    //! AXOCommData::getCommandVersion() for the current machine.
    int getCommandVersion(const QString &name) const;
    //! AXOCommData::hasMachineStatus() for the current machine.
    bool hasMachineStatus() const;
    //! AXOCommData::currentMachineDriverStatus() for the current machine.
    std::unique_ptr<MachineDriverStatusAnswer> currentMachineDriverStatus() const;
    //! AXOCommData::previousMachineDriverStatus() for the current machine.
    std::unique_ptr<MachineDriverStatusAnswer> previousMachineDriverStatus() const;
    //! The machine's own status part, while it is active; null otherwise.
    std::unique_ptr<MachineStatusAnswer> machineStatus() const;
    //! AXOCommData::isMachineUnavailable() for the current machine.
    bool isMachineUnavailable() const;
    //! AXOCommData::isBootLoaderActive() for the current machine.
    bool isBootLoaderActive() const;
    //! AXOCommData::isApplicationProgramActive() for the current machine.
    bool isApplicationProgramActive() const;
    //! AXOCommData::setBootLoaderActive() for the current machine.
    void setBootLoaderActive(bool active);
    //! AXOCommData::pauseDriverCommThread() for the current machine.
    bool pauseDriverCommThread(NEDriverParams::DriverThreadTypes threadType);
    //! AXOCommData::resumeDriverCommThread() for the current machine.
    bool resumeDriverCommThread(NEDriverParams::DriverThreadTypes threadType);
    //! A copy of the machine's entry in the shared configuration; null when none.
    std::unique_ptr<FW_Machine> currentMachine() const;
    //! The model of that entry; UnknownModel (-1) when there is none.
    MachineModel currentMachineModel() const;
    //! AXOCommData::isActiveMachine() for the current machine.
    bool isCurrentMachineActive() const;
    //! The machine's entry in the current driver's status lists; null when not listed.
    std::unique_ptr<MachineStatus> currentMachineStatus() const;
    //! The same when the entry is a dispenser's (a mixer's); null otherwise.
    std::unique_ptr<DispenserStatus> currentDispenserStatus() const;
    //! The same when the entry is a mixer's; null otherwise.
    std::unique_ptr<MixerStatus> currentMixerStatus() const;
    //! The machine's own status part when it is a mixer's; null otherwise.
    std::unique_ptr<MixerStatusAnswer> currentMixerStatusAnswer() const;

    // ---------------------------------------------------------------- firmware of the current machine
    //! AXOCommData::fwProgram() for the current machine.
    FW_Program currentFwProgram() const;
    //! The version of the current machine's firmware program.
    FW_Version currentFwAppVersion() const;
    //! AXOCommData::fwConfigVersion() for the current machine.
    int currentFwConfigVersion() const;
    //! AXOCommData::fwProtocolVersion() for the current machine.
    int currentFwProtocolVersion() const;
    //! AXOCommData::setFwProgram() for the current machine.
    void setCurrentFwProgram(const FW_Program &program);
    //! Whether the firmware's configuration (protocol) version is at least
    //! minimum; ifUnknown when the machine's firmware program is not known.
    bool checkMinimumFwConfigVersion(int minimum, bool ifUnknown) const;
    //! The same for the protocol version.
    bool checkMinimumFwProtocolVersion(int minimum, bool ifUnknown) const;

    // ---------------------------------------------------------------- the current dispenser (0 while none)
    //! AXOCommData::hasDispenserStatus() for the current dispenser (ID 0 while none).
    bool hasDispenserStatus() const;
    //! AXOCommData::hasPreviousDispenserStatus() for the current dispenser (ID 0 while none).
    bool hasPreviousDispenserStatus() const;
    //! AXOCommData::currentDispenserDriverStatus() for the current dispenser (ID 0 while none).
    std::unique_ptr<DispenserDriverStatusAnswer> currentDispenserDriverStatus() const;
    //! AXOCommData::previousDispenserDriverStatus() for the current dispenser (ID 0 while none).
    std::unique_ptr<DispenserDriverStatusAnswer> previousDispenserDriverStatus() const;
    //! The board's status part, while the dispenser is active; null otherwise.
    std::unique_ptr<DispenserStatusAnswer> dispenserStatus() const;
    //! AXOCommData::dispenserAcceptCommands() for the current dispenser (ID 0 while none).
    bool dispenserAcceptCommands() const;
    //! AXOCommData::dispenserAcceptPOSCommands() for the current dispenser (ID 0 while none).
    bool dispenserAcceptPOSCommands() const;
    //! AXOCommData::dispenserAcceptProcessCommands() for the current dispenser (ID 0 while none).
    bool dispenserAcceptProcessCommands() const;
    //! AXOCommData::isDispenserUnavailable() for the current dispenser (ID 0 while none).
    bool isDispenserUnavailable() const;
    //! AXOCommData::isDispenserAvailable() for the current dispenser (ID 0 while none).
    bool isDispenserAvailable() const;
    //! AXOCommData::setCurrentDispenserStatus() for the current dispenser (ID 0 while none).
    void setCurrentDispenserStatus(const DispenserDriverStatusAnswer *status);
    //! AXOCommData::isActiveDispenser() for the current dispenser (ID 0 while none).
    bool isCurrentDispenserActive() const;
    //! The valve-on flag of dispenserStatus(); false without one.
    bool dispenserHasValveON() const;
    //! AXOCommData::ussWaterChangeStatus() for the current dispenser (ID 0 while none).
    std::unique_ptr<UssWaterChangeStatus> currentUssWaterChangeStatus() const;
    //! AXOCommData::weightAnswer() for the current dispenser (ID 0 while none).
    std::unique_ptr<WeightAnswer> currentWeightAnswer() const;
    //! A copy of the current dispenser's (mixer's) shared configuration entry;
    //! an empty one when there is none or the current machine is of the other kind.
    FW_Dispenser currentDispenser() const;
    //! The same for the current mixer.
    FW_Mixer currentMixer() const;
    //! The current dispenser's entry of the current driver's dispenser status list.
    bool getCurrentDispenserStatus(DispenserStatus &out) const;
    //! The information the current dispenser's entry of that list carries
    //! (an empty DispenserInfo when it carries none); false when there is no entry.
    bool getCurrentDispenserInfo(DispenserInfo &out) const;
    //! A new copy of the information the current machine's status carries,
    //! owned by the caller; null when there is no status or it carries none.
    MachineInfo *getCurrentMachineInfo() const;
    //! The same, owned by the returned pointer.
    std::unique_ptr<MachineInfo> currentMachineInfo() const;
    //! The first active dispenser, in status list order, that the shared
    //! configuration lists with that model; written to out when not null.
    bool getFirstActiveDispenserIDByModel(MachineModel model, int *out) const;

signals:
    //! Another machine was selected; emitted in the selecting thread.
    void NECurrentMachineChanged(const MachineID &machineID);
    //! The current driver's NEDispenserStatusListChanged.
    void NECurrentDispenserStatusListChangedSignal();
    //! The current driver's NEMachineStatusListChanged.
    void NECurrentMachineStatusListChangedSignal();
    //! The current driver's NEScaleStatusListChanged.
    void NECurrentScaleStatusListChangedSignal();
    //! The current dispenser's NEDispenserDriverStatusChangedSignal.
    void NECurrentDispenserDriverStatusChangedSignal();
    //! The current machine's NEMachineDriverStatusChangedSignal.
    void NECurrentMachineDriverStatusChangedSignal();
    //! NEErrorListUpdated of the current machine, of the generic machine of
    //! its kind, or (no machine selected) of any machine of the current driver.
    void NECurrentErrorListUpdated(bool changed);
    //! The current machine's NEFirmwareVersionChangedSignal.
    void NECurrentFirmwareVersionChangedSignal();
    //! The current machine's NEFirmwareProgramChangedSignal.
    void NECurrentFirmwareProgramChangedSignal();
    //! The current dispenser's NEHumidifierValuesChangedSignal.
    void NECurrentHumidifierValuesChangedSignal(const double &temperatureValue, const double &humidityValue);
    //! The current dispenser's NEGearACMotorValuesChangedSignal.
    void NECurrentGearACMotorValuesChangedSignal(const double &pumpMotorSpeed, const double &inverterCurrent);
    //! The current dispenser's NECurrentScaleWeightChangedSignal.
    void NECurrentScaleWeightChangedSignal();
    //! The current dispenser's NEUSSCleaningStatusChangedSignal.
    void NEUSSCleaningStatusChangedSignal();
    //! The current driver's NEConfigurationChanged.
    void NESharedConfigurationChanged();
    //! The current driver's NEDefaultCalibrationProfilesChanged.
    void NESharedDefaultCalibrationProfilesChanged();
    //! The current driver's NECustomCalibrationProfilesChanged.
    void NESharedCustomCalibrationProfilesChanged();

private:
    //! The current driver and machine, read together.
    struct Selection
    {
        int driverID = 0;
        MachineID machine;
        int dispenserID() const { return machine.isDispenser() ? machine.machineNumber : 0; }
        int mixerID() const { return machine.isMixer() ? machine.machineNumber : 0; }
    };
    class Gate;

    explicit AXOCurrentCommData(QObject *parent = nullptr);
    ~AXOCurrentCommData() override;

    Selection selection() const;
    //! The store's operation op for the current driver (and the current
    //! machine, or the current dispenser ID), followed by args.
    template<typename Op, typename... Args>
    auto forDriver(Op op, Args &&...args) const;
    template<typename Op, typename... Args>
    auto forMachine(Op op, Args &&...args) const;
    template<typename Op, typename... Args>
    auto forDispenser(Op op, Args &&...args) const;
    //! Stores the machine; emits NECurrentMachineChanged when it differs.
    void select(const MachineID &machineID);
    //! Connects the store's change signals to the re-emitting handlers.
    void follow(AXOCommData *store);
    template<typename Signal, typename Handler>
    void follow(AXOCommData *store, Signal signal, Handler handler);

    static AXOCurrentCommData *m_Instance;

    mutable QMutex m_mutex;
    int m_driverID = 0;
    MachineID m_machineID;
    //! Lets store signals reach the facade only while it exists; shared with the connections.
    std::shared_ptr<Gate> m_gate;
    //! The store followed; null before the first and after it was dropped.
    //! Read and written under the instance lock.
    QPointer<AXOCommData> m_store;
};

#endif // AXOCURRENTCOMMDATA_H
