// The current-machine facade's queries and updates: each reads the current
// driver and machine once (forDriver, forMachine, forDispenser), then asks
// the store with them, holding no lock of the facade while it does.

#include "AXOCurrentCommData.h"

#include "DispenserDriverStatusAnswer.h"
#include "FW_Machine.h"
#include "MachineDriverStatusAnswer.h"
#include "MixerStatusAnswer.h"
#include "UssWaterChangeStatus.h"
#include "WeightAnswer.h"

#include <utility>

namespace {

AXOCommData *store()
{
    return AXOCommData::instance();
}

// The object when it is a T; null (and the object deleted) otherwise.
template<typename T, typename Base>
std::unique_ptr<T> ofKind(std::unique_ptr<Base> object)
{
    if (!dynamic_cast<T *>(object.get()))
        return nullptr;
    return std::unique_ptr<T>(static_cast<T *>(object.release()));
}

} // namespace

template<typename Op, typename... Args>
auto AXOCurrentCommData::forDriver(Op op, Args &&...args) const
{
    return (store()->*op)(currentDriverID(), std::forward<Args>(args)...);
}

template<typename Op, typename... Args>
auto AXOCurrentCommData::forMachine(Op op, Args &&...args) const
{
    const Selection current = selection();
    return (store()->*op)(current.driverID, current.machine, std::forward<Args>(args)...);
}

template<typename Op, typename... Args>
auto AXOCurrentCommData::forDispenser(Op op, Args &&...args) const
{
    const Selection current = selection();
    return (store()->*op)(current.driverID, current.dispenserID(), std::forward<Args>(args)...);
}

// ---------------------------------------------------------------- status lists of the current driver

int AXOCurrentCommData::activeDispenserNum() const
{
    return forDriver(&AXOCommData::activeDispenserNum);
}

int AXOCurrentCommData::activeMixerNum() const
{
    return forDriver(&AXOCommData::activeMixerNum);
}

QList<int> AXOCurrentCommData::getActiveDispenserIDs() const
{
    return forDriver(&AXOCommData::getActiveDispenserIDs);
}

QList<DispenserStatus> AXOCurrentCommData::getActiveDispenserList() const
{
    return forDriver(&AXOCommData::getActiveDispenserList);
}

QList<MachineID> AXOCurrentCommData::getActiveMachineIDs(int typeMask) const
{
    return forDriver(&AXOCommData::getActiveMachineIDs, typeMask);
}

QList<MachineStatus *> AXOCurrentCommData::getActiveMachinesList(int typeMask) const
{
    return forDriver(&AXOCommData::getActiveMachinesList, typeMask);
}

int AXOCurrentCommData::getNumOfActiveMachines(int typeMask) const
{
    const QList<MachineStatus *> active = getActiveMachinesList(typeMask);
    qDeleteAll(active);
    return active.size();
}

QList<DispenserStatus> AXOCurrentCommData::getDispenserStatusList() const
{
    return forDriver(&AXOCommData::getDispenserStatusList);
}

QList<DispenserStatus> AXOCurrentCommData::getDispenserStatusList_OLD() const
{
    return forDriver(&AXOCommData::getDispenserStatusList_OLD);
}

bool AXOCurrentCommData::getDispenserStatusByDispID(int dispID, DispenserStatus &out) const
{
    return forDriver(&AXOCommData::getDispenserStatusByDispID, dispID, out);
}

bool AXOCurrentCommData::getFirstActiveDispenserID(int *out) const
{
    return forDriver(&AXOCommData::getFirstActiveDispenserID, out);
}

bool AXOCurrentCommData::getFirstActiveMachineID(int typeMask, MachineID &out) const
{
    return forDriver(&AXOCommData::getFirstActiveMachineID, typeMask, out);
}

QList<int> AXOCurrentCommData::getLastConnectedDispensers() const
{
    return forDriver(&AXOCommData::getLastConnectedDispensers);
}

QList<int> AXOCurrentCommData::getLastDisconnectedDispensers() const
{
    return forDriver(&AXOCommData::getLastDisconnectedDispensers);
}

QList<MachineStatus *> AXOCurrentCommData::getMachineStatusList(int typeMask) const
{
    return forDriver(&AXOCommData::getMachineStatusList, typeMask);
}

std::unique_ptr<MachineStatus> AXOCurrentCommData::getMachineStatusByMachineID(const MachineID &machineID) const
{
    return std::unique_ptr<MachineStatus>(forDriver(&AXOCommData::getMachineStatusByMachineID, machineID));
}

bool AXOCurrentCommData::containsDispenserID(int dispID) const
{
    return forDriver(&AXOCommData::containsDispenserID, dispID);
}

bool AXOCurrentCommData::isActiveDispenser(int dispID) const
{
    return forDriver(&AXOCommData::isActiveDispenser, dispID);
}

bool AXOCurrentCommData::isActiveMachine(const MachineID &machineID) const
{
    return forDriver(&AXOCommData::isActiveMachine, machineID);
}

bool AXOCurrentCommData::removeDispenserStatus(int dispID, bool force)
{
    return forDriver(&AXOCommData::removeDispenserStatus, dispID, force);
}

bool AXOCurrentCommData::setDispenserStatusList(const QList<DispenserStatus> &list)
{
    return forDriver(&AXOCommData::setDispenserStatusList, list, true);
}

// ---------------------------------------------------------------- configuration of the current driver

FW_Configuration AXOCurrentCommData::getSharedConfiguration() const
{
    return forDriver(&AXOCommData::getSharedConfiguration);
}

FW_Configuration AXOCurrentCommData::getFactoryConfiguration() const
{
    return forDriver(&AXOCommData::getFactoryConfiguration);
}

bool AXOCurrentCommData::existsAFactoryConfiguration() const
{
    return forDriver(&AXOCommData::existsAFactoryConfiguration);
}

FW_CalibrationProfiles AXOCurrentCommData::getSharedCalibrationProfiles() const
{
    return forDriver(&AXOCommData::getSharedCalibrationProfiles);
}

FW_CalibrationProfiles AXOCurrentCommData::getCustomCalibrationProfiles() const
{
    return forDriver(&AXOCommData::getCustomCalibrationProfiles);
}

FW_CalibrationProfiles AXOCurrentCommData::getDefaultCalibrationProfiles() const
{
    return forDriver(&AXOCommData::getDefaultCalibrationProfiles);
}

int AXOCurrentCommData::getNumOfDispensers(bool onlyKnownModels) const
{
    return forDriver(&AXOCommData::getNumOfDispensers, onlyKnownModels);
}

int AXOCurrentCommData::getNumOfPumpModels() const
{
    return forDriver(&AXOCommData::getNumOfPumpModels);
}

bool AXOCurrentCommData::getDriverSettings(DriverSettings &out) const
{
    return forDriver(&AXOCommData::getDriverSettings, out);
}

bool AXOCurrentCommData::existsMachineID(const MachineID &machineID) const
{
    return forDriver(&AXOCommData::existsMachineID, machineID);
}

FW_Program AXOCurrentCommData::fwProgram(const MachineID &machineID) const
{
    return forDriver(&AXOCommData::fwProgram, machineID);
}

int AXOCurrentCommData::fwConfigVersion(const MachineID &machineID) const
{
    return forDriver(&AXOCommData::fwConfigVersion, machineID);
}

int AXOCurrentCommData::fwProtocolVersion(const MachineID &machineID) const
{
    return forDriver(&AXOCommData::fwProtocolVersion, machineID);
}

bool AXOCurrentCommData::setConfiguration(const FW_Configuration &configuration)
{
    return forDriver(&AXOCommData::setConfiguration, configuration);
}

bool AXOCurrentCommData::setFactoryConfiguration(const FW_Configuration &configuration)
{
    return forDriver(&AXOCommData::setFactoryConfiguration, configuration);
}

bool AXOCurrentCommData::setDriverConfiguration(int kind, const FW_Configuration &configuration)
{
    return forDriver(&AXOCommData::setDriverConfiguration, kind, configuration);
}

bool AXOCurrentCommData::setDriverSettings(const DriverSettings &settings)
{
    return forDriver(&AXOCommData::setDriverSettings, settings);
}

bool AXOCurrentCommData::setCalibrationProfiles(const FW_CalibrationProfiles &profiles, bool customChanged,
                                                bool defaultChanged)
{
    return forDriver(&AXOCommData::setCalibrationProfiles, profiles, customChanged, defaultChanged);
}

bool AXOCurrentCommData::addDispenser(const FW_Dispenser &dispenser)
{
    return forDriver(&AXOCommData::addDispenser, dispenser);
}

bool AXOCurrentCommData::saveDispenser(const FW_Dispenser &dispenser)
{
    return forDriver(&AXOCommData::saveDispenser, dispenser);
}

bool AXOCurrentCommData::updateDispenser(const FW_Dispenser &dispenser)
{
    return forDriver(&AXOCommData::updateDispenser, dispenser);
}

bool AXOCurrentCommData::removeMachine(const MachineID &machineID)
{
    return forDriver(&AXOCommData::removeMachine, machineID);
}

void AXOCurrentCommData::setFwProgram(const MachineID &machineID, const FW_Program &program)
{
    forDriver(&AXOCommData::setFwProgram, machineID, program);
}

void AXOCurrentCommData::updateMachineDataList(const QList<MachineID> &ids, MachineID::SerialDeviceType type)
{
    forDriver(&AXOCommData::updateMachineDataList, ids, type);
}

std::unique_ptr<UssWaterChangeStatus> AXOCurrentCommData::ussWaterChangeStatus(int dispID) const
{
    return forDriver(&AXOCommData::ussWaterChangeStatus, dispID);
}

std::unique_ptr<WeightAnswer> AXOCurrentCommData::weightAnswer(int dispID) const
{
    return forDriver(&AXOCommData::weightAnswer, dispID);
}

void AXOCurrentCommData::setUssWaterChangeStatus(int dispID, const UssWaterChangeStatus &status)
{
    forDriver(&AXOCommData::setUssWaterChangeStatus, dispID, status);
}

void AXOCurrentCommData::setWeightAnswer(int dispID, const WeightAnswer *answer)
{
    forDriver(&AXOCommData::setWeightAnswer, dispID, answer);
}

// ---------------------------------------------------------------- the current driver

bool AXOCurrentCommData::isAXODriver() const
{
    return forDriver(&AXOCommData::isAXODriver);
}

bool AXOCurrentCommData::isSlaveDriver() const
{
    return forDriver(&AXOCommData::isSlaveDriver);
}

bool AXOCurrentCommData::isCurrentDriverLocalhost(bool *found) const
{
    return forDriver(&AXOCommData::isDriverLocalhost, found);
}

// ---------------------------------------------------------------- the current machine

FW_ErrorList AXOCurrentCommData::getErrorList() const
{
    return forMachine(&AXOCommData::getErrorList);
}

FW_ErrorList AXOCurrentCommData::getErrorHistoryList() const
{
    return forMachine(&AXOCommData::getErrorHistoryList);
}

void AXOCurrentCommData::setError(const FW_DriverError &error, bool clear, AXOCommData::EmitEventMode mode)
{
    const Selection current = selection();
    store()->setError(current.driverID, current.machine, error, clear, mode);
}

void AXOCurrentCommData::setErrorList(const FW_ErrorList &list)
{
    forMachine(&AXOCommData::setErrorList, list);
}

void AXOCurrentCommData::appendErrorList(const FW_ErrorList &list)
{
    forMachine(&AXOCommData::appendErrorList, list);
}

void AXOCurrentCommData::clearErrorList(bool all)
{
    forMachine(&AXOCommData::clearErrorList, all);
}

void AXOCurrentCommData::clearErrorListTypes(const QList<FW_Error::ErrorType> &types)
{
    forMachine(&AXOCommData::clearErrorListTypes, types);
}

QList<ProtocolCommandInfo> AXOCurrentCommData::getCommandList() const
{
    return forMachine(&AXOCommData::getCommandList);
}

void AXOCurrentCommData::setCommandList(const QList<ProtocolCommandInfo> &commands)
{
    forMachine(&AXOCommData::setCommandList, commands);
}

bool AXOCurrentCommData::isCommandSupported(const QString &name) const
{
    return forMachine(&AXOCommData::isCommandSupported, name);
}

bool AXOCurrentCommData::areCommandsSupported(const QStringList &names) const
{
    return forMachine(&AXOCommData::areCommandsSupported, names);
}

int AXOCurrentCommData::getCommandVersion(const QString &name) const
{
    return forMachine(&AXOCommData::getCommandVersion, name);
}

bool AXOCurrentCommData::hasMachineStatus() const
{
    return forMachine(&AXOCommData::hasMachineStatus);
}

std::unique_ptr<MachineDriverStatusAnswer> AXOCurrentCommData::currentMachineDriverStatus() const
{
    return forMachine(&AXOCommData::currentMachineDriverStatus);
}

std::unique_ptr<MachineDriverStatusAnswer> AXOCurrentCommData::previousMachineDriverStatus() const
{
    return forMachine(&AXOCommData::previousMachineDriverStatus);
}

std::unique_ptr<MachineStatusAnswer> AXOCurrentCommData::machineStatus() const
{
    return forMachine(&AXOCommData::machineStatus);
}

bool AXOCurrentCommData::isMachineUnavailable() const
{
    return forMachine(&AXOCommData::isMachineUnavailable);
}

bool AXOCurrentCommData::isBootLoaderActive() const
{
    return forMachine(&AXOCommData::isBootLoaderActive);
}

bool AXOCurrentCommData::isApplicationProgramActive() const
{
    return forMachine(&AXOCommData::isApplicationProgramActive);
}

void AXOCurrentCommData::setBootLoaderActive(bool active)
{
    forMachine(&AXOCommData::setBootLoaderActive, active);
}

bool AXOCurrentCommData::pauseDriverCommThread(NEDriverParams::DriverThreadTypes threadType)
{
    return forMachine(&AXOCommData::pauseDriverCommThread, threadType);
}

bool AXOCurrentCommData::resumeDriverCommThread(NEDriverParams::DriverThreadTypes threadType)
{
    return forMachine(&AXOCommData::resumeDriverCommThread, threadType);
}

std::unique_ptr<FW_Machine> AXOCurrentCommData::currentMachine() const
{
    return forMachine(&AXOCommData::getMachine);
}

MachineModel AXOCurrentCommData::currentMachineModel() const
{
    const std::unique_ptr<FW_Machine> machine = currentMachine();
    return machine ? machine->model() : UnknownModel;
}

bool AXOCurrentCommData::isCurrentMachineActive() const
{
    return forMachine(&AXOCommData::isActiveMachine);
}

std::unique_ptr<MachineStatus> AXOCurrentCommData::currentMachineStatus() const
{
    return std::unique_ptr<MachineStatus>(forMachine(&AXOCommData::getMachineStatusByMachineID));
}

std::unique_ptr<DispenserStatus> AXOCurrentCommData::currentDispenserStatus() const
{
    return ofKind<DispenserStatus>(currentMachineStatus());
}

std::unique_ptr<MixerStatus> AXOCurrentCommData::currentMixerStatus() const
{
    return ofKind<MixerStatus>(currentMachineStatus());
}

std::unique_ptr<MixerStatusAnswer> AXOCurrentCommData::currentMixerStatusAnswer() const
{
    return ofKind<MixerStatusAnswer>(machineStatus());
}

// ---------------------------------------------------------------- firmware of the current machine

FW_Program AXOCurrentCommData::currentFwProgram() const
{
    return forMachine(&AXOCommData::fwProgram);
}

FW_Version AXOCurrentCommData::currentFwAppVersion() const
{
    return currentFwProgram().version();
}

int AXOCurrentCommData::currentFwConfigVersion() const
{
    return forMachine(&AXOCommData::fwConfigVersion);
}

int AXOCurrentCommData::currentFwProtocolVersion() const
{
    return forMachine(&AXOCommData::fwProtocolVersion);
}

void AXOCurrentCommData::setCurrentFwProgram(const FW_Program &program)
{
    forMachine(&AXOCommData::setFwProgram, program);
}

// Both from one read of the program, so that a change in between cannot mix two.
bool AXOCurrentCommData::checkMinimumFwConfigVersion(int minimum, bool ifUnknown) const
{
    const FW_Program program = currentFwProgram();
    return program.isValid() ? program.version().configVersion() >= minimum : ifUnknown;
}

bool AXOCurrentCommData::checkMinimumFwProtocolVersion(int minimum, bool ifUnknown) const
{
    const FW_Program program = currentFwProgram();
    return program.isValid() ? program.version().protocolVersion() >= minimum : ifUnknown;
}

// ---------------------------------------------------------------- the current dispenser

bool AXOCurrentCommData::hasDispenserStatus() const
{
    return forDispenser(&AXOCommData::hasDispenserStatus);
}

bool AXOCurrentCommData::hasPreviousDispenserStatus() const
{
    return forDispenser(&AXOCommData::hasPreviousDispenserStatus);
}

std::unique_ptr<DispenserDriverStatusAnswer> AXOCurrentCommData::currentDispenserDriverStatus() const
{
    return forDispenser(&AXOCommData::currentDispenserDriverStatus);
}

std::unique_ptr<DispenserDriverStatusAnswer> AXOCurrentCommData::previousDispenserDriverStatus() const
{
    return forDispenser(&AXOCommData::previousDispenserDriverStatus);
}

std::unique_ptr<DispenserStatusAnswer> AXOCurrentCommData::dispenserStatus() const
{
    return forDispenser(&AXOCommData::dispenserStatus);
}

bool AXOCurrentCommData::dispenserAcceptCommands() const
{
    return forDispenser(&AXOCommData::dispenserAcceptCommands);
}

bool AXOCurrentCommData::dispenserAcceptPOSCommands() const
{
    return forDispenser(&AXOCommData::dispenserAcceptPOSCommands);
}

bool AXOCurrentCommData::dispenserAcceptProcessCommands() const
{
    return forDispenser(&AXOCommData::dispenserAcceptProcessCommands);
}

bool AXOCurrentCommData::isDispenserUnavailable() const
{
    return forDispenser(&AXOCommData::isDispenserUnavailable);
}

bool AXOCurrentCommData::isDispenserAvailable() const
{
    return !isDispenserUnavailable();
}

void AXOCurrentCommData::setCurrentDispenserStatus(const DispenserDriverStatusAnswer *status)
{
    forDispenser(&AXOCommData::setCurrentDispenserStatus, status);
}

bool AXOCurrentCommData::isCurrentDispenserActive() const
{
    return forDispenser(&AXOCommData::isActiveDispenser);
}

bool AXOCurrentCommData::dispenserHasValveON() const
{
    const std::unique_ptr<DispenserStatusAnswer> status = dispenserStatus();
    return status && status->valveOn();
}

std::unique_ptr<UssWaterChangeStatus> AXOCurrentCommData::currentUssWaterChangeStatus() const
{
    return forDispenser(&AXOCommData::ussWaterChangeStatus);
}

std::unique_ptr<WeightAnswer> AXOCurrentCommData::currentWeightAnswer() const
{
    return forDispenser(&AXOCommData::weightAnswer);
}

FW_Dispenser AXOCurrentCommData::currentDispenser() const
{
    const Selection current = selection();
    if (!current.machine.isDispenser())
        return FW_Dispenser();
    const FW_Configuration configuration = store()->getSharedConfiguration(current.driverID);
    const FW_Dispenser *dispenser = configuration.getDispenserById(current.machine.machineNumber);
    return dispenser ? *dispenser : FW_Dispenser();
}

FW_Mixer AXOCurrentCommData::currentMixer() const
{
    const Selection current = selection();
    if (!current.machine.isMixer())
        return FW_Mixer();
    const FW_Configuration configuration = store()->getSharedConfiguration(current.driverID);
    const FW_Mixer *mixer = configuration.getMixerById(current.machine.machineNumber);
    return mixer ? *mixer : FW_Mixer();
}

bool AXOCurrentCommData::getCurrentDispenserStatus(DispenserStatus &out) const
{
    return forDispenser(&AXOCommData::getDispenserStatusByDispID, out);
}

bool AXOCurrentCommData::getCurrentDispenserInfo(DispenserInfo &out) const
{
    DispenserStatus status;
    if (!getCurrentDispenserStatus(status))
        return false;
    out = status.dispenserInfo();
    return true;
}

MachineInfo *AXOCurrentCommData::getCurrentMachineInfo() const
{
    return currentMachineInfo().release();
}

std::unique_ptr<MachineInfo> AXOCurrentCommData::currentMachineInfo() const
{
    const std::unique_ptr<MachineStatus> status = currentMachineStatus();
    if (!status || !status->machineInfo())
        return nullptr;
    return std::unique_ptr<MachineInfo>(status->machineInfo()->clone());
}

bool AXOCurrentCommData::getFirstActiveDispenserIDByModel(MachineModel model, int *out) const
{
    const int driverID = currentDriverID();
    const FW_Configuration configuration = store()->getSharedConfiguration(driverID);
    for (int dispID : store()->getActiveDispenserIDs(driverID)) {
        const FW_Dispenser *dispenser = configuration.getDispenserById(dispID);
        if (dispenser && dispenser->model() == model) {
            if (out)
                *out = dispID;
            return true;
        }
    }
    return false;
}
