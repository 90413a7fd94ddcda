#ifndef DEVICEDATA_H
#define DEVICEDATA_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>

//! One optional device of a dispenser as "GET_DEVICE_LIST" reports it: its
//! kind (the numbers of FW_Dispenser::DeviceKind: 16 is the ultrasonic
//! nozzle cleaner) and whether it is enabled.
class AXOCOMM_EXPORT DeviceData
{
public:
    //! Kind of the ultrasonic nozzle cleaner.
    static const int UltrasonicCleaner = 16;

    //! A device of kind 0, not enabled.
    DeviceData() = default;
    //! A device of that kind, enabled or not.
    DeviceData(int type, bool enabled) : m_type(type), m_enabled(enabled) {}

    //! The device kind (FW_Dispenser::DeviceKind).
    int deviceType() const { return m_type; }
    //! Whether the device is enabled.
    bool isEnabled() const { return m_enabled; }

    //! Equal in every field.
    bool operator==(const DeviceData &other) const { return m_type == other.m_type && m_enabled == other.m_enabled; }
    //! The negation of operator==.
    bool operator!=(const DeviceData &other) const { return !(*this == other); }

    //! {"type": int ≥ 1, "enabled": bool}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static DeviceData fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_type = 0;
    bool m_enabled = false;
};

Q_DECLARE_METATYPE(DeviceData)

#endif // DEVICEDATA_H
