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
    void setCurrentDriverID(int driverID);
    int currentDriverID() const;
    //! Selects {n, 1} when the type has the dispenser bit and n >= 0, else
    //! {n, 4} when it has the mixer bit; false, and nothing changes, otherwise.
    bool setCurrentMachineID(const MachineID &machineID);
    //! False for a negative number.
    bool setCurrentDispenserID(int dispID);
    bool setCurrentMixerID(int mixerID);
    //! Selects the dispenser when the current driver's shared configuration
    //! has one with its number; false otherwise.
    bool setCurrentDispenser(const FW_Dispenser &dispenser);
    MachineID currentMachineID() const;
    int currentDispenserID() const;
    int currentMixerID() const;
    MachineID::SerialDeviceType currentDevice() const;
    bool isCurrentDeviceDispenser() const;
    bool isCurrentDeviceMixer() const;

    // ---------------------------------------------------------------- status lists of the current driver
    int activeDispenserNum() const;
    int activeMixerNum() const;
    QList<int> getActiveDispenserIDs() const;
    QList<DispenserStatus> getActiveDispenserList() const;
    QList<MachineID> getActiveMachineIDs(int typeMask) const;
    //! New status objects; the caller deletes them.
    QList<MachineStatus *> getActiveMachinesList(int typeMask) const;
    int getNumOfActiveMachines(int typeMask) const;
    QList<DispenserStatus> getDispenserStatusList() const;
    QList<DispenserStatus> getDispenserStatusList_OLD() const;
    bool getDispenserStatusByDispID(int dispID, DispenserStatus &out) const;
    bool getFirstActiveDispenserID(int *out) const;
    bool getFirstActiveMachineID(int typeMask, MachineID &out) const;
    QList<int> getLastConnectedDispensers() const;
    QList<int> getLastDisconnectedDispensers() const;
    //! New status objects; the caller deletes them.
    QList<MachineStatus *> getMachineStatusList(int typeMask) const;
    std::unique_ptr<MachineStatus> getMachineStatusByMachineID(const MachineID &machineID) const;
    bool containsDispenserID(int dispID) const;
    bool isActiveDispenser(int dispID) const;
    bool isActiveMachine(const MachineID &machineID) const;
    bool removeDispenserStatus(int dispID, bool force);
    //! Stores the list and announces the machine list as well.
    bool setDispenserStatusList(const QList<DispenserStatus> &list);

    // ---------------------------------------------------------------- configuration of the current driver
    FW_Configuration getSharedConfiguration() const;
    FW_Configuration getFactoryConfiguration() const;
    bool existsAFactoryConfiguration() const;
    FW_CalibrationProfiles getSharedCalibrationProfiles() const;
    FW_CalibrationProfiles getCustomCalibrationProfiles() const;
    FW_CalibrationProfiles getDefaultCalibrationProfiles() const;
    int getNumOfDispensers(bool onlyKnownModels) const;
    int getNumOfPumpModels() const;
    bool getDriverSettings(DriverSettings &out) const;
    bool existsMachineID(const MachineID &machineID) const;
    FW_Program fwProgram(const MachineID &machineID) const;
    int fwConfigVersion(const MachineID &machineID) const;
    int fwProtocolVersion(const MachineID &machineID) const;
    bool setConfiguration(const FW_Configuration &configuration);
    bool setFactoryConfiguration(const FW_Configuration &configuration);
    bool setDriverConfiguration(int kind, const FW_Configuration &configuration);
    bool setDriverSettings(const DriverSettings &settings);
    bool setCalibrationProfiles(const FW_CalibrationProfiles &profiles, bool customChanged, bool defaultChanged);
    bool addDispenser(const FW_Dispenser &dispenser);
    bool saveDispenser(const FW_Dispenser &dispenser);
    bool updateDispenser(const FW_Dispenser &dispenser);
    bool removeMachine(const MachineID &machineID);
    void setFwProgram(const MachineID &machineID, const FW_Program &program);
    void updateMachineDataList(const QList<MachineID> &ids, MachineID::SerialDeviceType type);
    std::unique_ptr<UssWaterChangeStatus> ussWaterChangeStatus(int dispID) const;
    std::unique_ptr<WeightAnswer> weightAnswer(int dispID) const;
    void setUssWaterChangeStatus(int dispID, const UssWaterChangeStatus &status);
    void setWeightAnswer(int dispID, const WeightAnswer *answer);

    // ---------------------------------------------------------------- the current driver
    bool isAXODriver() const;
    bool isSlaveDriver() const;
    bool isCurrentDriverLocalhost(bool *found = nullptr) const;

    // ---------------------------------------------------------------- the current machine
    FW_ErrorList getErrorList() const;
    FW_ErrorList getErrorHistoryList() const;
    void setError(const FW_DriverError &error, bool clear, AXOCommData::EmitEventMode mode);
    void setErrorList(const FW_ErrorList &list);
    void appendErrorList(const FW_ErrorList &list);
    void clearErrorList(bool all);
    void clearErrorListTypes(const QList<FW_Error::ErrorType> &types);
    QList<ProtocolCommandInfo> getCommandList() const;
    void setCommandList(const QList<ProtocolCommandInfo> &commands);
    bool isCommandSupported(const QString &name) const;
    bool areCommandsSupported(const QStringList &names) const;
    int getCommandVersion(const QString &name) const;
    bool hasMachineStatus() const;
    std::unique_ptr<MachineDriverStatusAnswer> currentMachineDriverStatus() const;
    std::unique_ptr<MachineDriverStatusAnswer> previousMachineDriverStatus() const;
    //! The machine's own status part, while it is active; null otherwise.
    std::unique_ptr<MachineStatusAnswer> machineStatus() const;
    bool isMachineUnavailable() const;
    bool isBootLoaderActive() const;
    bool isApplicationProgramActive() const;
    void setBootLoaderActive(bool active);
    bool pauseDriverCommThread(NEDriverParams::DriverThreadTypes threadType);
    bool resumeDriverCommThread(NEDriverParams::DriverThreadTypes threadType);
    //! A copy of the machine's entry in the shared configuration; null when none.
    std::unique_ptr<FW_Machine> currentMachine() const;
    //! The model of that entry; UnknownModel (-1) when there is none.
    MachineModel currentMachineModel() const;
    bool isCurrentMachineActive() const;
    //! The machine's entry in the current driver's status lists; null when not listed.
    std::unique_ptr<MachineStatus> currentMachineStatus() const;
    //! The same when the entry is a dispenser's (a mixer's); null otherwise.
    std::unique_ptr<DispenserStatus> currentDispenserStatus() const;
    std::unique_ptr<MixerStatus> currentMixerStatus() const;
    //! The machine's own status part when it is a mixer's; null otherwise.
    std::unique_ptr<MixerStatusAnswer> currentMixerStatusAnswer() const;

    // ---------------------------------------------------------------- firmware of the current machine
    FW_Program currentFwProgram() const;
    FW_Version currentFwAppVersion() const;
    int currentFwConfigVersion() const;
    int currentFwProtocolVersion() const;
    void setCurrentFwProgram(const FW_Program &program);
    //! Whether the firmware's configuration (protocol) version is at least
    //! minimum; ifUnknown when the machine's firmware program is not known.
    bool checkMinimumFwConfigVersion(int minimum, bool ifUnknown) const;
    bool checkMinimumFwProtocolVersion(int minimum, bool ifUnknown) const;

    // ---------------------------------------------------------------- the current dispenser (0 while none)
    bool hasDispenserStatus() const;
    bool hasPreviousDispenserStatus() const;
    std::unique_ptr<DispenserDriverStatusAnswer> currentDispenserDriverStatus() const;
    std::unique_ptr<DispenserDriverStatusAnswer> previousDispenserDriverStatus() const;
    //! The board's status part, while the dispenser is active; null otherwise.
    std::unique_ptr<DispenserStatusAnswer> dispenserStatus() const;
    bool dispenserAcceptCommands() const;
    bool dispenserAcceptPOSCommands() const;
    bool dispenserAcceptProcessCommands() const;
    bool isDispenserUnavailable() const;
    bool isDispenserAvailable() const;
    void setCurrentDispenserStatus(const DispenserDriverStatusAnswer *status);
    bool isCurrentDispenserActive() const;
    //! The valve-on flag of dispenserStatus(); false without one.
    bool dispenserHasValveON() const;
    std::unique_ptr<UssWaterChangeStatus> currentUssWaterChangeStatus() const;
    std::unique_ptr<WeightAnswer> currentWeightAnswer() const;
    //! A copy of the current dispenser's (mixer's) shared configuration entry;
    //! an empty one when there is none or the current machine is of the other kind.
    FW_Dispenser currentDispenser() const;
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
    void NECurrentMachineChanged(const MachineID &machineID);
    void NECurrentDispenserStatusListChangedSignal();
    void NECurrentMachineStatusListChangedSignal();
    void NECurrentScaleStatusListChangedSignal();
    void NECurrentDispenserDriverStatusChangedSignal();
    void NECurrentMachineDriverStatusChangedSignal();
    void NECurrentErrorListUpdated(bool changed);
    void NECurrentFirmwareVersionChangedSignal();
    void NECurrentFirmwareProgramChangedSignal();
    void NECurrentHumidifierValuesChangedSignal(const double &temperatureValue, const double &humidityValue);
    void NECurrentGearACMotorValuesChangedSignal(const double &pumpMotorSpeed, const double &inverterCurrent);
    void NECurrentScaleWeightChangedSignal();
    void NEUSSCleaningStatusChangedSignal();
    void NESharedConfigurationChanged();
    void NESharedDefaultCalibrationProfilesChanged();
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
