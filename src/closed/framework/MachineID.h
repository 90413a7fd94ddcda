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
    //! The device type bits; a type mask combines them.
    enum SerialDeviceType {
        NoDevice = 0,  //!< the driver itself
        Dispenser = 1, //!< a dispenser
        Scale = 2,     //!< a scale
        Mixer = 4,     //!< a mixer
        AllTypes = 7   //!< every kind, as a mask
    };

    int machineNumber = 0; //!< 0 for the driver or a generic machine, else 1 and up
    int machineType = 0;   //!< SerialDeviceType bits

    //! {0, 0}: the driver.
    MachineID() = default;
    //! {number, type bits}.
    MachineID(int number, int type) : machineNumber(number), machineType(type) {}

    //! The machine number.
    int number() const { return machineNumber; }
    //! The type bits.
    int type() const { return machineType; }
    //! Has the dispenser bit.
    bool isDispenser() const { return (machineType & Dispenser) != 0; }
    //! Has the scale bit.
    bool isScale() const { return (machineType & Scale) != 0; }
    //! Has the mixer bit.
    bool isMixer() const { return (machineType & Mixer) != 0; }
    //! Number 0: the driver (or its generic machine) rather than a real machine.
    bool isDriverLevel() const { return machineNumber == 0; }
    //! True when the type shares a bit with the mask (a mask of 0 matches everything).
    bool matchesTypeMask(int mask) const { return mask == 0 || (machineType & mask) != 0; }

    //! Same number and type bits.
    bool operator==(const MachineID &other) const
    {
        return machineNumber == other.machineNumber && machineType == other.machineType;
    }
    //! Not operator==().
    bool operator!=(const MachineID &other) const { return !(*this == other); }
    //! By number, then by type bits.
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
    //! The machine of such a struct; *ok false when it is not one.
    static MachineID fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);
};

Q_DECLARE_METATYPE(MachineID)

#endif // MACHINEID_H
