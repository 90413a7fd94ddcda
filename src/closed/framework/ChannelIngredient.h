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
    //! The unit of the amount: cc or g.
    enum Unit { Volume = 0, Weight = 1 };
    //! Where the ingredient's dosing is.
    enum DosingState { Waiting = 0, Dosing = 1, Done = 2 };

    //! Position 0, nothing to dose.
    ChannelIngredient() = default;
    //! An amount from the circuit at position (1 and up); an empty colorant
    //! code means the circuit's own.
    ChannelIngredient(int position, const QString &colorantCode, double amount, Unit unit = Volume)
        : m_position(position), m_colorantCode(colorantCode), m_amount(amount), m_unit(unit)
    {
    }

    //! The circuit's position.
    int position() const { return m_position; }
    //! The colorant code; empty for the circuit's own.
    QString colorantCode() const { return m_colorantCode; }
    //! The amount, in unit().
    double amount() const { return m_amount; }
    //! cc or g.
    Unit unit() const { return m_unit; }
    //! Estimated dosing time, ms; 0 when the driver gave no estimate.
    qint64 timeEstimate() const { return m_timeEstimate; }
    //! Sets the estimate, ms.
    void setTimeEstimate(qint64 ms) { m_timeEstimate = ms; }
    //! Waiting, dosing or done.
    DosingState state() const { return m_state; }
    //! Sets the dosing state.
    void setState(DosingState state) { m_state = state; }

    //! Every member equal, estimate and state included.
    bool operator==(const ChannelIngredient &other) const;
    //! Not operator==().
    bool operator!=(const ChannelIngredient &other) const { return !(*this == other); }

    //! {"position": int, "colorant": string, "amount": double, "unit": int,
    //!  "time": double (whole milliseconds), "state": int}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! The ingredient of such a struct; *ok false when it is not one.
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
