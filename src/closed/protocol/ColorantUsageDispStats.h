#ifndef COLORANTUSAGEDISPSTATS_H
#define COLORANTUSAGEDISPSTATS_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! How much of a colorant one circuit of a dispenser has dispensed: the
//! dispenser's serial number, the circuit position, the canister on it, the
//! colorant code, the total amount in cc and the number of dispensings.
class AXOCOMM_EXPORT ColorantUsageDispStats
{
public:
    ColorantUsageDispStats() = default;
    //! The usage of one circuit of a dispenser.
    ColorantUsageDispStats(const QString &serialNumber, int position, int canister, const QString &colorant,
                           double amount, int dispensings);

    //! Serial number of the dispenser.
    QString serialNumber() const { return m_serial; }
    //! Position of the circuit.
    int position() const { return m_position; }
    //! The canister on the circuit.
    int canister() const { return m_canister; }
    //! Colorant code.
    QString colorant() const { return m_colorant; }
    //! Total amount dispensed, cc.
    double amount() const { return m_amount; }
    //! Number of dispensings.
    int dispensings() const { return m_dispensings; }

    //! Equal in every field.
    bool operator==(const ColorantUsageDispStats &other) const;
    //! The negation of operator==.
    bool operator!=(const ColorantUsageDispStats &other) const { return !(*this == other); }

    //! {serial: string, position: int ≥ 1, canister: int ≥ 1, colorant: string,
    //!  amount: double ≥ 0 (cc), dispensings: int ≥ 0}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static ColorantUsageDispStats fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    QString m_serial;
    int m_position = 0;
    int m_canister = 0;
    QString m_colorant;
    double m_amount = 0.0;
    int m_dispensings = 0;
};

Q_DECLARE_METATYPE(ColorantUsageDispStats)

#endif // COLORANTUSAGEDISPSTATS_H
