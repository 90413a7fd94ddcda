#ifndef MACHINEID_H
#define MACHINEID_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! A machine on a driver: its number and the bit set of its device types.
//! Number 0 stands for the driver itself: {0, 1} the generic dispenser,
//! {0, 4} the generic mixer, {0, 0} the whole driver.
struct AXOCOMM_EXPORT MachineID
{
    enum SerialDeviceType {
        NoDevice = 0,
        Dispenser = 1,
        Scale = 2,
        Mixer = 4,
        AllTypes = 7
    };

    int machineNumber = 0;
    int machineType = 0;

    MachineID() = default;
    MachineID(int number, int type) : machineNumber(number), machineType(type) {}

    int number() const { return machineNumber; }
    int type() const { return machineType; }
    bool isDispenser() const { return (machineType & Dispenser) != 0; }
    bool isScale() const { return (machineType & Scale) != 0; }
    bool isMixer() const { return (machineType & Mixer) != 0; }
    //! Number 0: the driver (or its generic machine) rather than a real machine.
    bool isDriverLevel() const { return machineNumber == 0; }
    //! True when the type shares a bit with the mask (a mask of 0 matches everything).
    bool matchesTypeMask(int mask) const { return mask == 0 || (machineType & mask) != 0; }

    bool operator==(const MachineID &other) const
    {
        return machineNumber == other.machineNumber && machineType == other.machineType;
    }
    bool operator!=(const MachineID &other) const { return !(*this == other); }
    bool operator<(const MachineID &other) const
    {
        return machineNumber != other.machineNumber ? machineNumber < other.machineNumber
                                                    : machineType < other.machineType;
    }

    //! "Dispenser", "Mixer", "Scale" (first bit set in that order), or empty.
    QString typeText() const;
    //! "number/type", e.g. "2/1".
    QString toString() const;

    //! {"number": int, "type": int}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    static MachineID fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);
};

Q_DECLARE_METATYPE(MachineID)

#endif // MACHINEID_H
