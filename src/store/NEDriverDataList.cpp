#include "NEDriverDataList.h"

#include "NEDispenserData.h"
#include "NEDriverData.h"
#include "NEMachineData.h"
#include "NEMachineDataList.h"

NEDriverDataList::NEDriverDataList() = default;

NEDriverDataList::NEDriverDataList(const QList<NEDriverData> &records)
{
    m_records.reserve(static_cast<size_t>(records.size()));
    for (const NEDriverData &record : records)
        append(record);
}

NEDriverDataList::NEDriverDataList(const NEDriverDataList &other)
{
    m_records.reserve(other.m_records.size());
    for (const auto &record : other.m_records)
        append(*record);
}

NEDriverDataList &NEDriverDataList::operator=(const NEDriverDataList &other)
{
    if (this != &other) {
        NEDriverDataList copy(other);
        m_records.swap(copy.m_records);
    }
    return *this;
}

NEDriverDataList::~NEDriverDataList() = default;

void NEDriverDataList::append(const NEDriverData &record)
{
    m_records.push_back(std::make_unique<NEDriverData>(record));
}

bool NEDriverDataList::replace(int index, const NEDriverData &record)
{
    if (index < 0 || index >= numOfDriverData())
        return false;
    // Copy before the old entry goes: the record may be that entry.
    auto next = std::make_unique<NEDriverData>(record);
    m_records[static_cast<size_t>(index)] = std::move(next);
    return true;
}

NEDriverData *NEDriverDataList::at(int index) const
{
    if (index < 0 || index >= numOfDriverData())
        return nullptr;
    return m_records[static_cast<size_t>(index)].get();
}

void NEDriverDataList::clear()
{
    m_records.clear();
}

NEDriverData *NEDriverDataList::getDriverData(int driverID) const
{
    for (const auto &record : m_records) {
        if (record->driverID() == driverID)
            return record.get();
    }
    return nullptr;
}

NEMachineData *NEDriverDataList::getMachineData(int driverID, const MachineID &machineID) const
{
    const NEDriverData *driver = getDriverData(driverID);
    if (!driver || !driver->hasMachineDataList())
        return nullptr;
    return driver->machineDataList()->getMachineData(machineID);
}

NEDispenserData *NEDriverDataList::getDispenserData(int driverID, int number) const
{
    const NEDriverData *driver = getDriverData(driverID);
    if (!driver || !driver->hasMachineDataList())
        return nullptr;
    return driver->machineDataList()->getDispenserData(number);
}

bool NEDriverDataList::removeDriverData(int driverID)
{
    if (driverID == -1) {
        clear();
        return true;
    }
    for (auto it = m_records.begin(); it != m_records.end(); ++it) {
        if ((*it)->driverID() == driverID) {
            m_records.erase(it);
            return true;
        }
    }
    return false;
}

void NEDriverDataList::update(const QList<int> &driverIDs)
{
    for (size_t i = m_records.size(); i-- > 0;) {
        const int id = m_records[i]->driverID();
        if (id != 0 && !driverIDs.contains(id))
            m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (int id : driverIDs) {
        if (id >= 0 && !hasDriverData(id))
            m_records.push_back(std::make_unique<NEDriverData>(id));
    }
}

void NEDriverDataList::updateMachineIDs(int driverID, const QList<MachineID> &machineIDs,
                                        MachineID::SerialDeviceType type)
{
    NEDriverData *driver = getDriverData(driverID);
    if (driver && driver->hasMachineDataList())
        driver->machineDataList()->updateMachineIDs(machineIDs, type);
}
