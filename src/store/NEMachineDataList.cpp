#include "NEMachineDataList.h"

#include "NEDispenserData.h"
#include "NEMachineData.h"

namespace {

std::unique_ptr<NEMachineData> cloneRecord(const NEMachineData *record)
{
    return std::unique_ptr<NEMachineData>(record ? record->clone() : nullptr);
}

} // namespace

NEMachineDataList::NEMachineDataList() = default;

NEMachineDataList::NEMachineDataList(const QList<NEMachineData *> &records)
{
    m_records.reserve(static_cast<size_t>(records.size()));
    for (const NEMachineData *record : records)
        m_records.push_back(cloneRecord(record));
}

NEMachineDataList::NEMachineDataList(const NEMachineDataList &other)
{
    m_records.reserve(other.m_records.size());
    for (const auto &record : other.m_records)
        m_records.push_back(cloneRecord(record.get()));
}

NEMachineDataList &NEMachineDataList::operator=(const NEMachineDataList &other)
{
    if (this != &other) {
        NEMachineDataList copy(other);
        m_records.swap(copy.m_records);
    }
    return *this;
}

NEMachineDataList::~NEMachineDataList() = default;

void NEMachineDataList::clear()
{
    m_records.clear();
}

void NEMachineDataList::append(const NEMachineData *record)
{
    m_records.push_back(cloneRecord(record));
}

bool NEMachineDataList::replace(int index, const NEMachineData *record)
{
    if (index < 0 || index >= numOfDispenserData())
        return false;
    // Clone before the old entry goes: the record may be that entry.
    std::unique_ptr<NEMachineData> next = cloneRecord(record);
    m_records[static_cast<size_t>(index)] = std::move(next);
    return true;
}

NEMachineData *NEMachineDataList::at(int index) const
{
    if (index < 0 || index >= numOfDispenserData())
        return nullptr;
    return m_records[static_cast<size_t>(index)].get();
}

bool NEMachineDataList::operator==(const NEMachineDataList &other) const
{
    if (m_records.size() != other.m_records.size())
        return false;
    for (size_t i = 0; i < m_records.size(); ++i) {
        const NEMachineData *a = m_records[i].get();
        const NEMachineData *b = other.m_records[i].get();
        if (!a || !b) {
            if (a != b)
                return false;
        } else if (*a != *b) {
            return false;
        }
    }
    return true;
}

NEMachineData *NEMachineDataList::getMachineData(const MachineID &machineID) const
{
    for (const auto &record : m_records) {
        if (record && record->machineID() == machineID)
            return record.get();
    }
    return nullptr;
}

NEDispenserData *NEMachineDataList::getDispenserData(int number) const
{
    for (const auto &record : m_records) {
        if (!record)
            continue;
        const MachineID id = record->machineID();
        if (id.machineNumber == number && (id.machineType & MachineID::Dispenser)) {
            // A plain machine record of a dispenser is skipped: it has no dispenser fields.
            if (auto *dispenser = dynamic_cast<NEDispenserData *>(record.get()))
                return dispenser;
        }
    }
    return nullptr;
}

void NEMachineDataList::updateMachineIDs(const QList<MachineID> &machineIDs, MachineID::SerialDeviceType type)
{
    if (type != MachineID::Dispenser && type != MachineID::Mixer)
        return;

    for (size_t i = m_records.size(); i-- > 0;) {
        const NEMachineData *record = m_records[i].get();
        if (!record)
            continue;
        const MachineID id = record->machineID();
        if ((id.machineType & type) == type && !machineIDs.contains(id) && id.machineNumber != 0)
            m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(i));
    }

    for (const MachineID &id : machineIDs) {
        if (id.machineNumber < 1 || hasMachineData(id))
            continue;
        // A machine of neither kind (a scale) gets no record.
        if (NEMachineData *record = NEMachineData::buildMachineData(id))
            m_records.emplace_back(record);
    }
}
