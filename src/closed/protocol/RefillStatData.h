#ifndef REFILLSTATDATA_H
#define REFILLSTATDATA_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QDateTime>
#include <QtCore/QMetaType>
#include <QtCore/QString>

//! One refill of a canister, as a statistics event: the circuit position,
//! the colorant code, the amount poured in (cc) and when (UTC, whole seconds).
class AXOCOMM_EXPORT RefillStatData
{
public:
    RefillStatData() = default;
    //! A refill; the time is kept in UTC, whole seconds.
    RefillStatData(int position, const QString &colorant, double amount, const QDateTime &time);

    //! Position of the circuit refilled.
    int position() const { return m_position; }
    //! Colorant code.
    QString colorant() const { return m_colorant; }
    //! Amount poured in, cc.
    double amount() const { return m_amount; }
    //! When, UTC; invalid when not known.
    QDateTime time() const { return m_time; }

    //! Equal in every field.
    bool operator==(const RefillStatData &other) const;
    //! The negation of operator==.
    bool operator!=(const RefillStatData &other) const { return !(*this == other); }

    //! {position: int ≥ 1, colorant: string (not empty), amount: double > 0,
    //!  time: string, ISO 8601 UTC "2024-05-02T08:30:00Z"}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static RefillStatData fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_position = 0;
    QString m_colorant;
    double m_amount = 0.0;
    QDateTime m_time;
};

Q_DECLARE_METATYPE(RefillStatData)

#endif // REFILLSTATDATA_H
