#ifndef CHANNELINGREDIENT_H
#define CHANNELINGREDIENT_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! One colorant portion of a formula: the circuit position that doses it, the
//! colorant code, the amount (cc or grams), the dosing time the driver
//! estimates for it and how far its dosing has got.
class AXOCOMM_EXPORT ChannelIngredient
{
public:
    enum Unit { Volume = 0, Weight = 1 };           //!< cc, g
    enum DosingState { Waiting = 0, Dosing = 1, Done = 2 };

    ChannelIngredient() = default;
    ChannelIngredient(int position, const QString &colorantCode, double amount, Unit unit = Volume)
        : m_position(position), m_colorantCode(colorantCode), m_amount(amount), m_unit(unit)
    {
    }

    int position() const { return m_position; }
    QString colorantCode() const { return m_colorantCode; }
    double amount() const { return m_amount; }
    Unit unit() const { return m_unit; }
    //! Estimated dosing time, ms; 0 when the driver gave no estimate.
    qint64 timeEstimate() const { return m_timeEstimate; }
    void setTimeEstimate(qint64 ms) { m_timeEstimate = ms; }
    DosingState state() const { return m_state; }
    void setState(DosingState state) { m_state = state; }

    bool operator==(const ChannelIngredient &other) const;
    bool operator!=(const ChannelIngredient &other) const { return !(*this == other); }

    //! {"position": int, "colorant": string, "amount": double, "unit": int,
    //!  "time": double (whole milliseconds), "state": int}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    static ChannelIngredient fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_position = 0;
    QString m_colorantCode;
    double m_amount = 0.0;
    Unit m_unit = Volume;
    qint64 m_timeEstimate = 0;
    DosingState m_state = Waiting;
};

Q_DECLARE_METATYPE(ChannelIngredient)

#endif // CHANNELINGREDIENT_H
