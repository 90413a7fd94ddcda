#ifndef USSWATERCHANGESTATUS_H
#define USSWATERCHANGESTATUS_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QDateTime>
#include <QtCore/QMetaType>

//! The water of a dispenser's ultrasonic nozzle cleaner: when it was last
//! changed, how many cleaning cycles ran since, after how many cycles it must
//! be changed, and whether a change is due now.
class AXOCOMM_EXPORT UssWaterChangeStatus
{
public:
    UssWaterChangeStatus() = default;
    //! A status; the time is kept in UTC.
    UssWaterChangeStatus(const QDateTime &lastChange, int cycles, int cyclesLimit, bool changeDue);

    //! A copy; owned by the caller.
    UssWaterChangeStatus *clone() const { return new UssWaterChangeStatus(*this); }

    //! When the water was last changed (UTC); invalid when never.
    QDateTime lastChange() const { return m_lastChange; }
    //! Cleaning cycles since the last change.
    int cycles() const { return m_cycles; }
    //! Cycles after which the water must be changed; 0 when there is no limit.
    int cyclesLimit() const { return m_cyclesLimit; }
    //! Whether a water change is due now.
    bool isChangeDue() const { return m_changeDue; }

    //! Equal in every field.
    bool operator==(const UssWaterChangeStatus &other) const;
    //! The negation of operator==.
    bool operator!=(const UssWaterChangeStatus &other) const { return !(*this == other); }

    //! {"lastChange": string (ISO 8601 UTC, "2024-05-02T08:30:00Z"; empty when
    //!  never), "cycles": int, "limit": int, "due": bool}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static UssWaterChangeStatus fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    QDateTime m_lastChange;
    int m_cycles = 0;
    int m_cyclesLimit = 0;
    bool m_changeDue = false;
};

Q_DECLARE_METATYPE(UssWaterChangeStatus)

#endif // USSWATERCHANGESTATUS_H
