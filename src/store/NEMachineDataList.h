#ifndef NEMACHINEDATALIST_H
#define NEMACHINEDATALIST_H

#include "AXOCommGlobal.h"
#include "MachineID.h"

#include <QtCore/QList>

#include <memory>
#include <vector>

class NEDispenserData;
class NEMachineData;

//! The machine records of one driver, in order. The list owns its records;
//! every record handed in is cloned, copies of the list are deep. An entry
//! may be empty (a null record handed to append or replace).
class AXOCOMM_EXPORT NEMachineDataList
{
public:
    NEMachineDataList();
    //! Clones of the given records.
    explicit NEMachineDataList(const QList<NEMachineData *> &records);
    //! A deep copy: clones of the other list's records.
    NEMachineDataList(const NEMachineDataList &other);
    //! Replaces the records by clones of the other list's.
    NEMachineDataList &operator=(const NEMachineDataList &other);
    ~NEMachineDataList();

    //! Deletes every record.
    void clear();
    //! Appends a clone of the record (an empty entry for null).
    void append(const NEMachineData *record);
    //! Replaces entry `index` by a clone of the record; false for an index out of range.
    bool replace(int index, const NEMachineData *record);
    //! The stored record; null for an empty entry or an index out of range.
    NEMachineData *at(int index) const;
    //! Whether the list has no entries.
    bool isEmpty() const { return m_records.empty(); }
    //! Number of entries, of any kind.
    int numOfDispenserData() const { return static_cast<int>(m_records.size()); }

    //! Same length and, position by position, both empty or equal records.
    bool operator==(const NEMachineDataList &other) const;
    //! The negation of operator==.
    bool operator!=(const NEMachineDataList &other) const { return !(*this == other); }

    //! The first record of that machine (same number and type); null when none.
    NEMachineData *getMachineData(const MachineID &machineID) const;
    //! Whether getMachineData() finds a record.
    bool hasMachineData(const MachineID &machineID) const { return getMachineData(machineID) != nullptr; }
    //! The first dispenser record (type bit 1) of that number; null when none.
    NEDispenserData *getDispenserData(int number) const;
    //! Whether getDispenserData() finds a record.
    bool hasDispenserData(int number) const { return getDispenserData(number) != nullptr; }

    //! Aligns the records of one kind (`type` 1 dispensers or 4 mixers; any
    //! other type changes nothing) with the driver's list of machines:
    //! records of that kind with a number other than 0 that are not in the
    //! list are deleted, then every machine of the list numbered 1 or more
    //! without a record of the same number and type gets a new one
    //! (NEMachineData::buildMachineData) at the end. The driver-level
    //! records (number 0) always stay.
    void updateMachineIDs(const QList<MachineID> &machineIDs, MachineID::SerialDeviceType type);

private:
    std::vector<std::unique_ptr<NEMachineData>> m_records;
};

#endif // NEMACHINEDATALIST_H
