// The data store's status tracking: the machines' status lists with their
// previous generation, the machines' driver status answers, firmware, scale
// weight, cleaning status, and the queries over them. Every operation takes
// the data lock for its access to the records and signals after releasing it.

#include "AXOCommData.h"

#include "DispenserDriverStatusAnswer.h"
#include "FW_ListUtils.h"
#include "MachineDriverStatusAnswer.h"
#include "NEDispenserData.h"
#include "NEDriverData.h"
#include "NEDriverThreadRegistry.h"
#include "NELogger.h"
#include "NEMachineData.h"
#include "UssWaterChangeStatus.h"
#include "WeightAnswer.h"

#include <QtCore/QMutexLocker>

namespace {

template<typename T>
std::unique_ptr<T> cloneOf(const T *object)
{
    return std::unique_ptr<T>(object ? static_cast<T *>(object->clone()) : nullptr);
}

template<typename Status>
QList<Status> activeEntries(const QList<Status> &list)
{
    QList<Status> active;
    for (const Status &status : list)
        if (status.isActive())
            active.append(status);
    return active;
}

template<typename Status>
bool findEntry(const QList<Status> &list, int number, Status &out)
{
    for (const Status &status : list) {
        if (status.machineNumber() == number) {
            out = status;
            return true;
        }
    }
    return false;
}

template<typename Status>
QList<Status> withAllInactive(QList<Status> list)
{
    for (Status &status : list)
        status.setActive(false);
    return list;
}

// Removes the first entry of that machine that is inactive (any with force).
template<typename Status>
bool removeEntry(QList<Status> &list, int number, bool force)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).machineNumber() == number && (force || !list.at(i).isActive())) {
            list.removeAt(i);
            return true;
        }
    }
    return false;
}

// Active entries of the current list that were not active before, or whose
// configuration identity changed.
template<typename Status>
void connectedOrReconfigured(const QList<Status> &current, const QList<Status> &previous, QList<MachineID> &out)
{
    for (const Status &status : current) {
        if (!status.isActive())
            continue;
        bool unchanged = false;
        for (const Status &before : previous) {
            if (before.machineID() == status.machineID()) {
                unchanged = before.isActive() && before.configID() == status.configID();
                break;
            }
        }
        if (!unchanged)
            out.append(status.machineID());
    }
}

} // namespace

// ---------------------------------------------------------------- status lists

bool AXOCommData::setDispenserStatusList(int driverID, const QList<DispenserStatus> &list, bool emitMachineSignal)
{
    bool dispensersChanged = false;
    bool scalesChanged = false;
    {
        QMutexLocker locker(&m_dataMutex);
        NEDriverData *driver = m_driverData.getDriverData(driverID);
        if (!driver)
            return false;
        dispensersChanged = DispenserStatus::hasRelevantChanges(driver->dispenserStatusList(), list, MachineID::Dispenser);
        scalesChanged = DispenserStatus::hasRelevantChanges(driver->dispenserStatusList(), list, MachineID::Scale);
        driver->setDispenserStatusList(list);
    }
    if (NELogger::instance()->isDebugEnabled())
        NELogger::instance()->debug(
            QStringLiteral("Dispenser status list: %1").arg(dispensersChanged ? QStringLiteral("new") : QStringLiteral("equal")));
    if (dispensersChanged)
        emit NEDispenserStatusListChanged(driverID);
    if (scalesChanged)
        emit NEScaleStatusListChanged(driverID);
    if (emitMachineSignal)
        emit NEMachineStatusListChanged(driverID);
    return true;
}

bool AXOCommData::setMixerStatusList(int driverID, const QList<MixerStatus> &list)
{
    bool changed = false;
    {
        QMutexLocker locker(&m_dataMutex);
        NEDriverData *driver = m_driverData.getDriverData(driverID);
        if (!driver)
            return false;
        changed = MixerStatus::hasRelevantChanges(driver->mixerStatusList(), list);
        driver->setMixerStatusList(list);
    }
    if (changed)
        emit NEMixerStatusListChanged(driverID);
    return true;
}

bool AXOCommData::setMachineStatusList(int driverID, const QList<MachineStatus *> &list)
{
    if (!setDispenserStatusList(driverID, MachineStatus::filterDispenserStatus(list), false))
        return false;
    const bool mixers = setMixerStatusList(driverID, MachineStatus::filterMixerStatus(list));
    emit NEMachineStatusListChanged(driverID);
    return mixers;
}

bool AXOCommData::setAllDispensersInactive(int driverID)
{
    QMutexLocker locker(&m_dataMutex);
    NEDriverData *driver = m_driverData.getDriverData(driverID);
    if (!driver)
        return false;
    driver->setDispenserStatusList(withAllInactive(driver->dispenserStatusList()));
    return true;
}

bool AXOCommData::setAllMixersInactive(int driverID)
{
    QMutexLocker locker(&m_dataMutex);
    NEDriverData *driver = m_driverData.getDriverData(driverID);
    if (!driver)
        return false;
    driver->setMixerStatusList(withAllInactive(driver->mixerStatusList()));
    return true;
}

bool AXOCommData::removeDispenserStatus(int driverID, int dispID, bool force)
{
    QMutexLocker locker(&m_dataMutex);
    NEDriverData *driver = m_driverData.getDriverData(driverID);
    return driver && removeEntry(driver->dispenserStatusList(), dispID, force);
}

bool AXOCommData::removeMixerStatus(int driverID, int mixerID, bool force)
{
    QMutexLocker locker(&m_dataMutex);
    NEDriverData *driver = m_driverData.getDriverData(driverID);
    return driver && removeEntry(driver->mixerStatusList(), mixerID, force);
}

// ---------------------------------------------------------------- status queries

#define AXO_DRIVER_QUERY(fallback)                                                                                  \
    QMutexLocker locker(&m_dataMutex);                                                                              \
    const NEDriverData *driver = m_driverData.getDriverData(driverID);                                             \
    if (!driver)                                                                                                    \
        return fallback;

QList<DispenserStatus> AXOCommData::getDispenserStatusList(int driverID) const
{
    AXO_DRIVER_QUERY({})
    return driver->dispenserStatusList();
}

QList<DispenserStatus> AXOCommData::getDispenserStatusList_OLD(int driverID) const
{
    AXO_DRIVER_QUERY({})
    return driver->dispenserStatusList_OLD();
}

QList<MixerStatus> AXOCommData::getMixerStatusList(int driverID) const
{
    AXO_DRIVER_QUERY({})
    return driver->mixerStatusList();
}

QList<MixerStatus> AXOCommData::getMixerStatusList_OLD(int driverID) const
{
    AXO_DRIVER_QUERY({})
    return driver->mixerStatusList_OLD();
}

QList<MachineStatus *> AXOCommData::getMachineStatusList(int driverID, int typeMask) const
{
    AXO_DRIVER_QUERY({})
    return driver->machineStatusList(typeMask);
}

QList<MachineStatus *> AXOCommData::getActiveMachinesList(int driverID, int typeMask) const
{
    QList<MachineStatus *> all = getMachineStatusList(driverID, typeMask);
    QList<MachineStatus *> active;
    for (MachineStatus *status : all) {
        if (status->isActive())
            active.append(status);
        else
            delete status;
    }
    return active;
}

MachineStatus *AXOCommData::getMachineStatusByMachineID(int driverID, const MachineID &machineID) const
{
    MachineStatus *found = nullptr;
    for (MachineStatus *status : getMachineStatusList(driverID, MachineID::AllTypes)) {
        if (!found && status->machineID() == machineID)
            found = status;
        else
            delete status;
    }
    return found;
}

bool AXOCommData::getDispenserStatusByDispID(int driverID, int dispID, DispenserStatus &out) const
{
    AXO_DRIVER_QUERY(false)
    return findEntry(driver->dispenserStatusList(), dispID, out);
}

bool AXOCommData::getMixerStatusByMixerID(int driverID, int mixerID, MixerStatus &out) const
{
    AXO_DRIVER_QUERY(false)
    return findEntry(driver->mixerStatusList(), mixerID, out);
}

QList<DispenserStatus> AXOCommData::getActiveDispenserList(int driverID) const
{
    return activeEntries(getDispenserStatusList(driverID));
}

QList<MixerStatus> AXOCommData::getActiveMixerList(int driverID) const
{
    return activeEntries(getMixerStatusList(driverID));
}

QList<int> AXOCommData::getActiveDispenserIDs(int driverID) const
{
    AXO_DRIVER_QUERY({})
    return driver->getActiveDispenserIDs();
}

QList<int> AXOCommData::getActiveMixerIDs(int driverID) const
{
    AXO_DRIVER_QUERY({})
    return driver->getActiveMixerIDs();
}

QList<MachineID> AXOCommData::getActiveMachineIDs(int driverID, int typeMask) const
{
    AXO_DRIVER_QUERY({})
    return driver->getActiveMachineIDs(typeMask);
}

int AXOCommData::activeDispenserNum(int driverID) const
{
    return getActiveDispenserIDs(driverID).size();
}

int AXOCommData::activeMixerNum(int driverID) const
{
    return getActiveMixerIDs(driverID).size();
}

bool AXOCommData::getFirstActiveDispenserID(int driverID, int *out) const
{
    const QList<int> ids = getActiveDispenserIDs(driverID);
    if (ids.isEmpty())
        return false;
    if (out)
        *out = ids.first();
    return true;
}

bool AXOCommData::getFirstActiveMixerID(int driverID, int *out) const
{
    const QList<int> ids = getActiveMixerIDs(driverID);
    if (ids.isEmpty())
        return false;
    if (out)
        *out = ids.first();
    return true;
}

bool AXOCommData::getFirstActiveMachineID(int driverID, int typeMask, MachineID &out) const
{
    const QList<MachineID> ids = getActiveMachineIDs(driverID, typeMask);
    if (ids.isEmpty())
        return false;
    out = ids.first();
    return true;
}

bool AXOCommData::containsDispenserID(int driverID, int dispID) const
{
    DispenserStatus status;
    return getDispenserStatusByDispID(driverID, dispID, status);
}

bool AXOCommData::containsMixerID(int driverID, int mixerID) const
{
    MixerStatus status;
    return getMixerStatusByMixerID(driverID, mixerID, status);
}

bool AXOCommData::isActiveListed(int driverID, const MachineID &machineID) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEDriverData *driver = m_driverData.getDriverData(driverID);
    if (!driver)
        return false;
    bool listed = false;
    bool active = false;
    if (machineID.machineType == MachineID::Dispenser) {
        DispenserStatus status;
        listed = findEntry(driver->dispenserStatusList(), machineID.machineNumber, status);
        active = status.isActive();
    } else {
        MixerStatus status;
        listed = findEntry(driver->mixerStatusList(), machineID.machineNumber, status);
        active = status.isActive();
    }
    // Data lock, then the thread lock.
    return listed && active && m_threads->isActive(driverID, machineID, NEDriverParams::StandardCommandsThread);
}

bool AXOCommData::isActiveDispenser(int driverID, int dispID) const
{
    return isActiveListed(driverID, MachineID(dispID, MachineID::Dispenser));
}

bool AXOCommData::isActiveMixer(int driverID, int mixerID) const
{
    return isActiveListed(driverID, MachineID(mixerID, MachineID::Mixer));
}

bool AXOCommData::isActiveMachine(int driverID, const MachineID &machineID) const
{
    if (machineID.machineType & MachineID::Dispenser)
        return isActiveDispenser(driverID, machineID.machineNumber);
    if (machineID.machineType & MachineID::Mixer)
        return isActiveMixer(driverID, machineID.machineNumber);
    return false;
}

QList<int> AXOCommData::getLastConnectedDispensers(int driverID) const
{
    AXO_DRIVER_QUERY({})
    return diffList(driver->getActiveDispenserIDs(), driver->getActiveDispenserIDs_OLD());
}

QList<int> AXOCommData::getLastConnectedMixers(int driverID) const
{
    AXO_DRIVER_QUERY({})
    return diffList(driver->getActiveMixerIDs(), driver->getActiveMixerIDs_OLD());
}

QList<int> AXOCommData::getLastDisconnectedDispensers(int driverID) const
{
    AXO_DRIVER_QUERY({})
    return diffList(driver->getActiveDispenserIDs_OLD(), driver->getActiveDispenserIDs());
}

QList<int> AXOCommData::getLastDisconnectedMixers(int driverID) const
{
    AXO_DRIVER_QUERY({})
    return diffList(driver->getActiveMixerIDs_OLD(), driver->getActiveMixerIDs());
}

QList<MachineID> AXOCommData::getLastConnectedOrReconfiguredMachineIDs(int driverID) const
{
    AXO_DRIVER_QUERY({})
    QList<MachineID> ids;
    connectedOrReconfigured(driver->dispenserStatusList(), driver->dispenserStatusList_OLD(), ids);
    connectedOrReconfigured(driver->mixerStatusList(), driver->mixerStatusList_OLD(), ids);
    return ids;
}

// ---------------------------------------------------------------- driver status answers

#define AXO_MACHINE_QUERY(id, fallback)                                                                             \
    QMutexLocker locker(&m_dataMutex);                                                                              \
    const NEMachineData *machine = m_driverData.getMachineData(driverID, id);                                      \
    if (!machine)                                                                                                   \
        return fallback;

void AXOCommData::setCurrentDispenserStatus(int driverID, int dispID, const DispenserDriverStatusAnswer *status)
{
    {
        QMutexLocker locker(&m_dataMutex);
        NEDispenserData *dispenser = m_driverData.getDispenserData(driverID, dispID);
        if (!dispenser)
            return;
        dispenser->setCurrentDispenserStatus(status);
    }
    emit NEDispenserDriverStatusChangedSignal(driverID, dispID);
}

void AXOCommData::setCurrentMachineStatus(int driverID, const MachineID &machineID,
                                          const MachineDriverStatusAnswer *status)
{
    {
        QMutexLocker locker(&m_dataMutex);
        NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
        if (!machine)
            return;
        machine->setCurrentMachineStatus(status);
    }
    if (machineID.machineType & MachineID::Dispenser)
        emit NEDispenserDriverStatusChangedSignal(driverID, machineID.machineNumber);
    else if (machineID.machineType & MachineID::Mixer)
        emit NEMixerDriverStatusChangedSignal(driverID, machineID.machineNumber);
    emit NEMachineDriverStatusChangedSignal(driverID, machineID);
}

bool AXOCommData::hasDispenserStatus(int driverID, int dispID) const
{
    return currentDispenserDriverStatus(driverID, dispID) != nullptr;
}

bool AXOCommData::hasPreviousDispenserStatus(int driverID, int dispID) const
{
    return previousDispenserDriverStatus(driverID, dispID) != nullptr;
}

bool AXOCommData::hasMachineStatus(int driverID, const MachineID &machineID) const
{
    AXO_MACHINE_QUERY(machineID, false)
    return machine->hasMachineStatus();
}

bool AXOCommData::hasPreviousMachineStatus(int driverID, const MachineID &machineID) const
{
    AXO_MACHINE_QUERY(machineID, false)
    return machine->hasPreviousMachineStatus();
}

std::unique_ptr<DispenserDriverStatusAnswer> AXOCommData::currentDispenserDriverStatus(int driverID, int dispID) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEDispenserData *dispenser = m_driverData.getDispenserData(driverID, dispID);
    return dispenser ? dispenser->currentDispenserDriverStatusCopy() : nullptr;
}

std::unique_ptr<DispenserDriverStatusAnswer> AXOCommData::previousDispenserDriverStatus(int driverID, int dispID) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEDispenserData *dispenser = m_driverData.getDispenserData(driverID, dispID);
    return dispenser ? dispenser->previousDispenserDriverStatusCopy() : nullptr;
}

std::unique_ptr<MachineDriverStatusAnswer> AXOCommData::currentMachineDriverStatus(int driverID,
                                                                                  const MachineID &machineID) const
{
    AXO_MACHINE_QUERY(machineID, nullptr)
    return machine->currentMachineDriverStatusCopy();
}

std::unique_ptr<MachineDriverStatusAnswer> AXOCommData::previousMachineDriverStatus(int driverID,
                                                                                   const MachineID &machineID) const
{
    AXO_MACHINE_QUERY(machineID, nullptr)
    return machine->previousMachineDriverStatusCopy();
}

std::unique_ptr<DispenserStatusAnswer> AXOCommData::dispenserStatus(int driverID, int dispID) const
{
    if (!isActiveDispenser(driverID, dispID))
        return nullptr;
    const std::unique_ptr<DispenserDriverStatusAnswer> current = currentDispenserDriverStatus(driverID, dispID);
    if (!current || !current->hasMachineStatusAnswer())
        return nullptr;
    return cloneOf(current->dispenserStatusAnswer());
}

std::unique_ptr<MachineStatusAnswer> AXOCommData::machineStatus(int driverID, const MachineID &machineID) const
{
    if (!(machineID.machineType & (MachineID::Dispenser | MachineID::Mixer)) || !isActiveMachine(driverID, machineID))
        return nullptr;
    const std::unique_ptr<MachineDriverStatusAnswer> current = currentMachineDriverStatus(driverID, machineID);
    if (!current || !current->hasMachineStatusAnswer())
        return nullptr;
    return cloneOf(current->machineStatusAnswer());
}

bool AXOCommData::machineAcceptCommands(int driverID, const MachineID &machineID) const
{
    AXO_MACHINE_QUERY(machineID, false)
    return machine->currentMachineDriverStatus() && machine->currentMachineDriverStatus()->acceptCommands();
}

bool AXOCommData::machineAcceptPOSCommands(int driverID, const MachineID &machineID) const
{
    AXO_MACHINE_QUERY(machineID, false)
    return machine->currentMachineDriverStatus() && machine->currentMachineDriverStatus()->readyForPOScommands();
}

bool AXOCommData::machineAcceptProcessCommands(int driverID, const MachineID &machineID) const
{
    AXO_MACHINE_QUERY(machineID, false)
    return machine->currentMachineDriverStatus() && machine->currentMachineDriverStatus()->acceptProcessCommands();
}

bool AXOCommData::dispenserAcceptCommands(int driverID, int dispID) const
{
    return machineAcceptCommands(driverID, MachineID(dispID, MachineID::Dispenser));
}

bool AXOCommData::dispenserAcceptPOSCommands(int driverID, int dispID) const
{
    return machineAcceptPOSCommands(driverID, MachineID(dispID, MachineID::Dispenser));
}

bool AXOCommData::dispenserAcceptProcessCommands(int driverID, int dispID) const
{
    return machineAcceptProcessCommands(driverID, MachineID(dispID, MachineID::Dispenser));
}

bool AXOCommData::isDispenserUnavailable(int driverID, int dispID) const
{
    return !dispenserAcceptCommands(driverID, dispID);
}

bool AXOCommData::isMachineUnavailable(int driverID, const MachineID &machineID) const
{
    return !machineAcceptCommands(driverID, machineID);
}

// ---------------------------------------------------------------- firmware

void AXOCommData::setFwProgram(int driverID, const MachineID &machineID, const FW_Program &program)
{
    {
        QMutexLocker locker(&m_dataMutex);
        NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
        if (!machine || machine->fwProgram() == program)
            return;
        machine->setFwProgram(program);
    }
    emit NEFirmwareVersionChangedSignal(driverID, machineID);
}

void AXOCommData::setBootLoaderActive(int driverID, const MachineID &machineID, bool active)
{
    {
        QMutexLocker locker(&m_dataMutex);
        NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
        if (!machine || machine->isBootLoaderActive() == active)
            return;
        machine->setBootLoaderActive(active);
    }
    emit NEFirmwareProgramChangedSignal(driverID, machineID);
}

FW_Program AXOCommData::fwProgram(int driverID, const MachineID &machineID) const
{
    AXO_MACHINE_QUERY(machineID, FW_Program())
    return machine->fwProgram();
}

int AXOCommData::fwConfigVersion(int driverID, const MachineID &machineID) const
{
    const FW_Version version = fwProgram(driverID, machineID).version();
    return version.isValid() ? version.configVersion() : 0;
}

int AXOCommData::fwProtocolVersion(int driverID, const MachineID &machineID) const
{
    const FW_Version version = fwProgram(driverID, machineID).version();
    return version.isValid() ? version.protocolVersion() : 0;
}

bool AXOCommData::isBootLoaderActive(int driverID, const MachineID &machineID) const
{
    AXO_MACHINE_QUERY(machineID, false)
    return machine->isBootLoaderActive();
}

bool AXOCommData::isApplicationProgramActive(int driverID, const MachineID &machineID) const
{
    AXO_MACHINE_QUERY(machineID, true)
    return !machine->isBootLoaderActive();
}

// ---------------------------------------------------------------- sensors, scale, cleaning

void AXOCommData::NEEmitHumidifierValuesChangedSignal(int driverID, int dispID, double temperatureValue,
                                                      double humidityValue)
{
    emit NEHumidifierValuesChangedSignal(driverID, dispID, temperatureValue, humidityValue);
}

void AXOCommData::NEEmitGearACMotorValuesChangedSignal(int driverID, int dispID, double pumpMotorSpeed,
                                                       double inverterCurrent)
{
    emit NEGearACMotorValuesChangedSignal(driverID, dispID, pumpMotorSpeed, inverterCurrent);
}

void AXOCommData::setWeightAnswer(int driverID, int dispID, const WeightAnswer *answer)
{
    {
        QMutexLocker locker(&m_dataMutex);
        NEDispenserData *dispenser = m_driverData.getDispenserData(driverID, dispID);
        if (!dispenser)
            return;
        const WeightAnswer *stored = dispenser->weightAnswer();
        if (stored && answer && *stored == *answer)
            return;
        dispenser->setWeightAnswer(answer);
    }
    emit NECurrentScaleWeightChangedSignal(driverID, dispID);
}

std::unique_ptr<WeightAnswer> AXOCommData::weightAnswer(int driverID, int dispID) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEDispenserData *dispenser = m_driverData.getDispenserData(driverID, dispID);
    return dispenser ? dispenser->weightAnswerCopy() : nullptr;
}

void AXOCommData::setUssWaterChangeStatus(int driverID, int dispID, const UssWaterChangeStatus &status)
{
    {
        QMutexLocker locker(&m_dataMutex);
        NEDispenserData *dispenser = m_driverData.getDispenserData(driverID, dispID);
        if (!dispenser)
            return;
        const UssWaterChangeStatus *stored = dispenser->ussWaterChangeStatus();
        if (stored && *stored == status)
            return;
        dispenser->setUssWaterChangeStatus(status);
    }
    emit NEUSSCleaningStatusChangedSignal(driverID, dispID);
}

std::unique_ptr<UssWaterChangeStatus> AXOCommData::ussWaterChangeStatus(int driverID, int dispID) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEDispenserData *dispenser = m_driverData.getDispenserData(driverID, dispID);
    return dispenser ? dispenser->ussWaterChangeStatusCopy() : nullptr;
}
