// The error lists of the machines: set, appended, cleared, filtered, and
// their change signals.

#include "AXOCommData.h"

#include "NEDriverData.h"
#include "NELogger.h"
#include "NEMachineData.h"

// ---------------------------------------------------------------- errors

void AXOCommData::setError(int driverID, const MachineID &machineID, const FW_DriverError &error, bool clear,
                           EmitEventMode mode)
{
    if (!error.isValid())
        return;
    NELogger::instance()->debug(error.errorText());
    bool changed = false;
    {
        QMutexLocker locker(&m_dataMutex);
        NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
        if (!machine)
            return;
        if (clear)
            machine->setMachineErrors(FW_ErrorList());
        FW_Error stamped(error);
        stamped.setMachineType(machineID.machineType);
        if (!machine->machineErrors()->contains(stamped)) {
            FW_ErrorList added;
            added.append(stamped);
            machine->appendMachineErrors(added);
            changed = true;
        }
        FW_ErrorList history;
        history.append(stamped);
        machine->appendMachineErrorsHistory(history);
    }
    if (mode != EmitNone)
        emit NEErrorListUpdated(driverID, machineID, changed || mode == EmitAlways);
}

void AXOCommData::setError(int driverID, const FW_DriverError &error, bool clear, EmitEventMode mode)
{
    setError(driverID, MachineID(0, MachineID::Dispenser), error, clear, mode);
}

void AXOCommData::setError(const FW_DriverError &error, bool clear, EmitEventMode mode)
{
    setError(0, MachineID(0, 0), error, clear, mode);
}

void AXOCommData::setDispError(int driverID, int dispID, const FW_DriverError &error, bool clear,
                               EmitEventMode mode)
{
    setError(driverID, MachineID(dispID, MachineID::Dispenser), error, clear, mode);
}

void AXOCommData::setMixerError(int driverID, int mixerID, const FW_DriverError &error, bool clear,
                                EmitEventMode mode)
{
    setError(driverID, MachineID(mixerID, MachineID::Mixer), error, clear, mode);
}

void AXOCommData::setErrorList(int driverID, const MachineID &machineID, const FW_ErrorList &list)
{
    for (const FW_Error &error : list)
        if (error.isValid())
            NELogger::instance()->error(error.errorText());
    {
        QMutexLocker locker(&m_dataMutex);
        NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
        if (!machine)
            return;
        machine->setMachineErrors(list);
        machine->appendMachineErrorsHistory(list);
    }
    emit NEErrorListUpdated(driverID, machineID, true);
}

void AXOCommData::appendErrorList(int driverID, const MachineID &machineID, const FW_ErrorList &list)
{
    if (list.isEmpty())
        return;
    for (const FW_Error &error : list)
        if (error.isValid())
            NELogger::instance()->error(error.errorText());
    bool changed = false;
    {
        QMutexLocker locker(&m_dataMutex);
        NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
        if (!machine)
            return;
        FW_ErrorList added;
        for (const FW_Error &error : list)
            if (!machine->machineErrors()->contains(error) && !added.contains(error))
                added.append(error);
        changed = !added.isEmpty();
        if (changed)
            machine->appendMachineErrors(added);
    }
    emit NEErrorListUpdated(driverID, machineID, changed);
}

template<typename Clear>
void AXOCommData::clearErrors(int driverID, const MachineID &machineID, Clear clear)
{
    bool found = false;
    bool changed = false;
    {
        QMutexLocker locker(&m_dataMutex);
        // The machine's record and the generic record of its kind.
        QList<MachineID> ids{machineID};
        if (machineID.machineNumber != 0)
            ids.append(MachineID(0, machineID.machineType));
        for (const MachineID &id : ids) {
            NEMachineData *machine = m_driverData.getMachineData(driverID, id);
            if (!machine)
                continue;
            found = true;
            changed = clear(*machine->machineErrors()) || changed;
        }
    }
    if (found)
        emit NEErrorListUpdated(driverID, machineID, changed);
}

void AXOCommData::clearErrorList(int driverID, const MachineID &machineID, bool all)
{
    clearErrors(driverID, machineID, [all](FW_ErrorList &errors) {
        if (all) {
            errors.clear();
            return true; // a full clear counts as a change
        }
        const FW_ErrorList before = errors;
        errors.deleteAllErrorsExcept(FW_Error::DriverError);
        return errors != before;
    });
}

void AXOCommData::clearErrorListTypes(int driverID, const MachineID &machineID,
                                      const QList<FW_Error::ErrorType> &types)
{
    clearErrors(driverID, machineID, [&types](FW_ErrorList &errors) {
        const FW_ErrorList before = errors;
        for (FW_Error::ErrorType type : types)
            errors.deleteAllErrorsTypes(type);
        return errors != before;
    });
}

FW_ErrorList AXOCommData::getFilteredErrorList(int driverID, const MachineID &machineID,
                                               const QList<FW_Error::ErrorType> &types) const
{
    const FW_ErrorList all = getErrorList(driverID, machineID);
    FW_ErrorList filtered;
    for (FW_Error::ErrorType type : types)
        filtered.append(all.filterErrorTypes(type));
    return filtered;
}

namespace {

// A copy that shares no list data with the stored one: the store appends to
// its lists in place, and a caller may drop its copy in another thread.
FW_ErrorList unshared(const FW_ErrorList &list)
{
    FW_ErrorList copy;
    for (const FW_Error &error : list)
        copy.append(error);
    return copy;
}

} // namespace

FW_ErrorList AXOCommData::getErrorList(int driverID, const MachineID &machineID) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
    return machine ? unshared(*machine->machineErrors()) : FW_ErrorList();
}

FW_ErrorList AXOCommData::getErrorHistoryList(int driverID, const MachineID &machineID) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
    return machine ? unshared(*machine->machineErrorsHistory()) : FW_ErrorList();
}
