// The data store's driver configuration: the shared and factory
// configurations, calibration profiles, driver settings and the machines'
// supported commands. Edits of the shared configuration re-align the
// sessions (outside the data lock) and are announced to the host.

#include "AXOCommData.h"

#include "FW_Machine.h"
#include "NECmdManager.h"
#include "NEDriverData.h"
#include "NEMachineData.h"

#include <QtCore/QMutexLocker>

#define AXO_CONFIG_QUERY(fallback)                                                                                  \
    QMutexLocker locker(&m_dataMutex);                                                                              \
    const NEDriverData *driver = m_driverData.getDriverData(driverID);                                             \
    if (!driver)                                                                                                    \
        return fallback;

bool AXOCommData::setConfiguration(int driverID, const FW_Configuration &configuration)
{
    {
        QMutexLocker locker(&m_dataMutex);
        NEDriverData *driver = m_driverData.getDriverData(driverID);
        if (!driver)
            return false;
        driver->setConfiguration(configuration);
    }
    NECmdManager::refreshSessions(driverID, configuration);
    emit NEConfigurationChanged(driverID);
    return true;
}

bool AXOCommData::setFactoryConfiguration(int driverID, const FW_Configuration &configuration)
{
    QMutexLocker locker(&m_dataMutex);
    NEDriverData *driver = m_driverData.getDriverData(driverID);
    if (!driver)
        return false;
    driver->setFactoryConfiguration(configuration);
    return true;
}

bool AXOCommData::setDriverConfiguration(int driverID, int kind, const FW_Configuration &configuration)
{
    switch (kind) {
    case 0: return setConfiguration(driverID, configuration);
    case 1: return setFactoryConfiguration(driverID, configuration);
    default: return false;
    }
}

template<typename Edit>
bool AXOCommData::editConfiguration(int driverID, Edit edit, bool removal)
{
    FW_Configuration copy;
    {
        QMutexLocker locker(&m_dataMutex);
        NEDriverData *driver = m_driverData.getDriverData(driverID);
        if (!driver)
            return false;
        copy = driver->configuration();
        if (!edit(copy))
            return false;
        driver->setConfiguration(copy);
    }
    // Sessions follow the configured machines; a configuration left without
    // machines keeps the sessions it had.
    if (!removal || copy.numOfMachines(MachineID::AllTypes, false) > 0)
        NECmdManager::refreshSessions(driverID, copy);
    emit NEConfigurationChanged(driverID);
    return true;
}

bool AXOCommData::addDispenser(int driverID, const FW_Dispenser &dispenser)
{
    return editConfiguration(driverID, [&](FW_Configuration &c) { return c.addDispenser(dispenser); }, false);
}

bool AXOCommData::saveDispenser(int driverID, const FW_Dispenser &dispenser)
{
    return editConfiguration(driverID, [&](FW_Configuration &c) {
        return c.existDispenser(dispenser, false) ? c.replaceDispenser(dispenser) : c.addDispenser(dispenser);
    }, false);
}

bool AXOCommData::saveMachine(int driverID, const FW_Machine *machine)
{
    if (!machine)
        return false;
    return editConfiguration(driverID, [&](FW_Configuration &c) {
        return c.existMachine(*machine, false) ? c.replaceMachine(*machine) : c.addMachine(*machine);
    }, false);
}

bool AXOCommData::updateDispenser(int driverID, const FW_Dispenser &dispenser)
{
    return editConfiguration(driverID, [&](FW_Configuration &c) {
        return c.replaceDispenserById(dispenser.machineNumber(), dispenser);
    }, false);
}

bool AXOCommData::removeMachine(int driverID, const MachineID &machineID)
{
    return editConfiguration(driverID, [&](FW_Configuration &c) { return c.removeMachineByMachineID(machineID); },
                             true);
}

bool AXOCommData::setCalibrationProfiles(int driverID, const FW_CalibrationProfiles &profiles, bool customChanged,
                                         bool defaultChanged)
{
    {
        QMutexLocker locker(&m_dataMutex);
        NEDriverData *driver = m_driverData.getDriverData(driverID);
        if (!driver)
            return false;
        driver->setCalibrationProfiles(profiles);
    }
    if (defaultChanged)
        emit NEDefaultCalibrationProfilesChanged(driverID);
    if (customChanged)
        emit NECustomCalibrationProfilesChanged(driverID);
    return true;
}

bool AXOCommData::setDriverSettings(int driverID, const DriverSettings &settings)
{
    QMutexLocker locker(&m_dataMutex);
    NEDriverData *driver = m_driverData.getDriverData(driverID);
    if (!driver)
        return false;
    driver->setDriverSettings(settings);
    return true;
}

bool AXOCommData::setDriverVersion(int driverID, const QVersionNumber &version)
{
    QMutexLocker locker(&m_dataMutex);
    NEDriverData *driver = m_driverData.getDriverData(driverID);
    if (!driver)
        return false;
    driver->setDriverVersion(version);
    return true;
}

void AXOCommData::setCommandList(int driverID, const MachineID &machineID, const QList<ProtocolCommandInfo> &commands)
{
    QMutexLocker locker(&m_dataMutex);
    if (NEMachineData *machine = m_driverData.getMachineData(driverID, machineID))
        machine->setCommandList(commands);
}

FW_Configuration AXOCommData::getSharedConfiguration(int driverID) const
{
    AXO_CONFIG_QUERY(FW_Configuration())
    return driver->configuration();
}

FW_Configuration AXOCommData::getFactoryConfiguration(int driverID) const
{
    AXO_CONFIG_QUERY(FW_Configuration())
    return driver->factoryConfiguration();
}

bool AXOCommData::existsAFactoryConfiguration(int driverID) const
{
    AXO_CONFIG_QUERY(false)
    return driver->factoryConfiguration().numOfMachines(MachineID::AllTypes, false) > 0;
}

FW_CalibrationProfiles AXOCommData::getSharedCalibrationProfiles(int driverID) const
{
    AXO_CONFIG_QUERY(FW_CalibrationProfiles())
    return driver->calibrationProfiles();
}

FW_CalibrationProfiles AXOCommData::getCustomCalibrationProfiles(int driverID) const
{
    return getSharedCalibrationProfiles(driverID).getFilteredProfiles(true, false);
}

FW_CalibrationProfiles AXOCommData::getDefaultCalibrationProfiles(int driverID) const
{
    return getSharedCalibrationProfiles(driverID).getFilteredProfiles(false, true);
}

QList<ConfigID> AXOCommData::getConfigIDList(int driverID) const
{
    AXO_CONFIG_QUERY({})
    return driver->configuration().getConfigIDList();
}

FW_Dispenser AXOCommData::getDispenser(int driverID, int dispID) const
{
    AXO_CONFIG_QUERY(FW_Dispenser())
    const FW_Dispenser *dispenser = driver->configuration().getDispenserById(dispID);
    return dispenser ? *dispenser : FW_Dispenser();
}

std::unique_ptr<FW_Machine> AXOCommData::getMachine(int driverID, const MachineID &machineID) const
{
    AXO_CONFIG_QUERY(nullptr)
    const FW_Machine *machine = driver->machine(machineID);
    return std::unique_ptr<FW_Machine>(machine ? machine->clone() : nullptr);
}

bool AXOCommData::existsMachineID(int driverID, const MachineID &machineID) const
{
    AXO_CONFIG_QUERY(false)
    return driver->configuration().existsMachineID(machineID);
}

QList<int> AXOCommData::getDispensersID(int driverID, bool onlyKnownModels) const
{
    AXO_CONFIG_QUERY({})
    return driver->configuration().getDispensersIDList(onlyKnownModels);
}

int AXOCommData::getNumOfDispensers(int driverID, bool onlyKnownModels) const
{
    AXO_CONFIG_QUERY(0)
    return driver->configuration().numOfDispensers(onlyKnownModels);
}

int AXOCommData::getNumOfMixers(int driverID, bool onlyKnownModels) const
{
    AXO_CONFIG_QUERY(0)
    return driver->configuration().numOfMixers(onlyKnownModels);
}

int AXOCommData::getNumOfMachines(int driverID, bool onlyKnownModels) const
{
    return getNumOfDispensers(driverID, onlyKnownModels) + getNumOfMixers(driverID, onlyKnownModels);
}

int AXOCommData::getNumOfPumpModels(int driverID) const
{
    AXO_CONFIG_QUERY(0)
    return driver->calibrationProfiles().numOfPumps();
}

bool AXOCommData::getDriverSettings(int driverID, DriverSettings &out) const
{
    AXO_CONFIG_QUERY(false)
    out = driver->driverSettings();
    return true;
}

bool AXOCommData::getDriverVersion(int driverID, QVersionNumber &out) const
{
    AXO_CONFIG_QUERY(false)
    out = driver->driverVersion();
    return true;
}

QList<ProtocolCommandInfo> AXOCommData::getCommandList(int driverID, const MachineID &machineID) const
{
    QMutexLocker locker(&m_dataMutex);
    const NEMachineData *machine = m_driverData.getMachineData(driverID, machineID);
    return machine ? machine->currentCommandList() : QList<ProtocolCommandInfo>();
}

bool AXOCommData::isCommandSupported(int driverID, const MachineID &machineID, const QString &name) const
{
    const QList<ProtocolCommandInfo> commands = getCommandList(driverID, machineID);
    if (commands.isEmpty())
        return true; // nothing known, nothing refused
    for (const ProtocolCommandInfo &command : commands)
        if (command.name() == name)
            return true;
    return false;
}

bool AXOCommData::areCommandsSupported(int driverID, const MachineID &machineID, const QStringList &names) const
{
    for (const QString &name : names)
        if (!isCommandSupported(driverID, machineID, name))
            return false;
    return true;
}

int AXOCommData::getCommandVersion(int driverID, const MachineID &machineID, const QString &name) const
{
    for (const ProtocolCommandInfo &command : getCommandList(driverID, machineID))
        if (command.name() == name)
            return command.version();
    return 0;
}
