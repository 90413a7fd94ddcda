#ifndef NEDRIVERDATALIST_H
#define NEDRIVERDATALIST_H

#include "AXOCommGlobal.h"
#include "MachineID.h"

#include <QtCore/QList>

#include <memory>
#include <vector>

class NEDispenserData;
class NEDriverData;
class NEMachineData;

//! The driver records of the data store, in order. The list owns its
//! records; records handed in are copied, copies of the list are deep.
class AXOCOMM_EXPORT NEDriverDataList
{
public:
    NEDriverDataList();
    //! Copies of the given records.
    explicit NEDriverDataList(const QList<NEDriverData> &records);
    //! A deep copy: copies of the other list's records.
    NEDriverDataList(const NEDriverDataList &other);
    //! Replaces the records by copies of the other list's.
    NEDriverDataList &operator=(const NEDriverDataList &other);
    ~NEDriverDataList();

    //! Appends a copy of the record.
    void append(const NEDriverData &record);
    //! Replaces entry `index` by a copy of the record; false for an index out of range.
    bool replace(int index, const NEDriverData &record);
    //! The stored record; null for an index out of range.
    NEDriverData *at(int index) const;
    //! Deletes every record.
    void clear();
    //! Whether the list has no records.
    bool isEmpty() const { return m_records.empty(); }
    //! Number of records.
    int numOfDriverData() const { return static_cast<int>(m_records.size()); }

    //! The first record of that driver; null when none.
    NEDriverData *getDriverData(int driverID) const;
    //! Whether getDriverData() finds a record.
    bool hasDriverData(int driverID) const { return getDriverData(driverID) != nullptr; }
    //! Look-ups in the machine list of the driver's record; null when the
    //! driver, its machine list or the machine is missing.
    NEMachineData *getMachineData(int driverID, const MachineID &machineID) const;
    //! Whether getMachineData() finds a record.
    bool hasMachineData(int driverID, const MachineID &machineID) const
    {
        return getMachineData(driverID, machineID) != nullptr;
    }
    //! The dispenser record of that number in the driver's machine list; null when missing.
    NEDispenserData *getDispenserData(int driverID, int number) const;
    //! Whether getDispenserData() finds a record.
    bool hasDispenserData(int driverID, int number) const { return getDispenserData(driverID, number) != nullptr; }

    //! Deletes the first record of that driver; -1 deletes all records and
    //! answers true. False when there is no such record.
    bool removeDriverData(int driverID);

    //! Aligns the records with the registered drivers: records whose ID is
    //! neither 0 nor in the list are deleted, then every ID of the list that
    //! is 0 or more and has no record gets a new NEDriverData(id) at the end.
    void update(const QList<int> &driverIDs);
    //! NEMachineDataList::updateMachineIDs on the machine list of that
    //! driver's first record; nothing when there is none.
    void updateMachineIDs(int driverID, const QList<MachineID> &machineIDs, MachineID::SerialDeviceType type);

private:
    std::vector<std::unique_ptr<NEDriverData>> m_records;
};

#endif // NEDRIVERDATALIST_H
