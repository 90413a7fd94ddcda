#include "NEDriverData.h"

#include "NEDispenserData.h"
#include "NEMixerData.h"

namespace {

template<typename T>
QList<int> activeNumbers(const QList<T> &list)
{
    QList<int> numbers;
    for (const T &status : list) {
        if (status.isActive())
            numbers.append(status.machineNumber());
    }
    return numbers;
}

std::unique_ptr<NEMachineDataList> copyList(const NEMachineDataList *list)
{
    return list ? std::make_unique<NEMachineDataList>(*list) : nullptr;
}

} // namespace

NEDriverData::NEDriverData()
{
    setDefaults();
}

NEDriverData::NEDriverData(int driverID) : NEDriverData()
{
    m_driverID = driverID;
    m_machineDataList = std::make_unique<NEMachineDataList>();
    const NEDispenserData genericDispenser(0);
    const NEMixerData genericMixer(0);
    m_machineDataList->append(&genericDispenser);
    m_machineDataList->append(&genericMixer);
}

NEDriverData::NEDriverData(int driverID, const NEMachineDataList *machineDataList) : NEDriverData()
{
    m_driverID = driverID;
    m_machineDataList = copyList(machineDataList);
}

NEDriverData::NEDriverData(const NEDriverData &other)
{
    copy(other);
}

NEDriverData &NEDriverData::operator=(const NEDriverData &other)
{
    copy(other);
    return *this;
}

NEDriverData::~NEDriverData() = default;

void NEDriverData::copy(const NEDriverData &other)
{
    if (this == &other)
        return;
    m_driverID = other.m_driverID;
    m_machineDataList = copyList(other.m_machineDataList.get());
    m_dispenserStatusList = other.m_dispenserStatusList;
    m_dispenserStatusListOld = other.m_dispenserStatusListOld;
    m_mixerStatusList = other.m_mixerStatusList;
    m_mixerStatusListOld = other.m_mixerStatusListOld;
    m_configuration = other.m_configuration;
    m_factoryConfiguration = other.m_factoryConfiguration;
    m_calibrationProfiles = other.m_calibrationProfiles;
    m_driverSettings = other.m_driverSettings;
    m_driverVersion = other.m_driverVersion;
}

bool NEDriverData::operator==(const NEDriverData &other) const
{
    if (m_driverID != other.m_driverID)
        return false;
    const NEMachineDataList *a = m_machineDataList.get();
    const NEMachineDataList *b = other.m_machineDataList.get();
    if ((!a || !b) ? a != b : *a != *b)
        return false;
    return m_driverSettings == other.m_driverSettings && m_configuration == other.m_configuration
        && m_factoryConfiguration == other.m_factoryConfiguration
        && m_calibrationProfiles == other.m_calibrationProfiles && m_driverVersion == other.m_driverVersion;
}

void NEDriverData::setDefaults()
{
    m_driverID = 0;
    m_machineDataList.reset();
    m_dispenserStatusList.clear();
    m_dispenserStatusListOld.clear();
    m_mixerStatusList.clear();
    m_mixerStatusListOld.clear();
    m_configuration.clear();
    m_factoryConfiguration.clear();
    m_calibrationProfiles = FW_CalibrationProfiles();
    m_calibrationProfiles.setDefaults();
    m_driverSettings = DriverSettings::fromText(QString());
    m_driverVersion = QVersionNumber();
}

void NEDriverData::setMachineDataList(const NEMachineDataList *machineDataList)
{
    // Copy first: the argument may be the list held here.
    std::unique_ptr<NEMachineDataList> next = copyList(machineDataList);
    m_machineDataList = std::move(next);
}

const FW_Machine *NEDriverData::machine(const MachineID &machineID) const
{
    return m_configuration.getMachineByMachineID(machineID);
}

void NEDriverData::setDispenserStatusList(const QList<DispenserStatus> &list)
{
    // `list` may be one of the two lists held here.
    const QList<DispenserStatus> next = list;
    m_dispenserStatusListOld = std::move(m_dispenserStatusList);
    m_dispenserStatusList = next;
}

void NEDriverData::setMixerStatusList(const QList<MixerStatus> &list)
{
    const QList<MixerStatus> next = list;
    m_mixerStatusListOld = std::move(m_mixerStatusList);
    m_mixerStatusList = next;
}

bool NEDriverData::removeDispenserStatusAt(int index)
{
    if (index < 0 || index >= m_dispenserStatusList.size())
        return false;
    m_dispenserStatusList.removeAt(index);
    return true;
}

bool NEDriverData::removeMixerStatusAt(int index)
{
    if (index < 0 || index >= m_mixerStatusList.size())
        return false;
    m_mixerStatusList.removeAt(index);
    return true;
}

QList<int> NEDriverData::_getActiveDispenserIDs(const QList<DispenserStatus> &list)
{
    return activeNumbers(list);
}

QList<int> NEDriverData::_getActiveMixerIDs(const QList<MixerStatus> &list)
{
    return activeNumbers(list);
}

QList<MachineID> NEDriverData::getActiveMachineIDs(int machineTypes) const
{
    QList<MachineID> ids;
    if (machineTypes & MachineID::Dispenser) {
        for (int number : getActiveDispenserIDs())
            ids.append(MachineID(number, MachineID::Dispenser));
    }
    if (machineTypes & MachineID::Mixer) {
        for (int number : getActiveMixerIDs())
            ids.append(MachineID(number, MachineID::Mixer));
    }
    return ids;
}

QList<MachineStatus *> NEDriverData::machineStatusList(int machineTypes) const
{
    QList<MachineStatus *> statuses;
    if (machineTypes & MachineID::Dispenser) {
        for (const DispenserStatus &status : m_dispenserStatusList)
            statuses.append(status.clone());
    }
    if (machineTypes & MachineID::Mixer) {
        for (const MixerStatus &status : m_mixerStatusList)
            statuses.append(status.clone());
    }
    return statuses;
}
