#ifndef CIRCUITDATA_H
#define CIRCUITDATA_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! One circuit of a dispenser as "GET_CIRCUIT_LIST" reports it: its
//! position, the colorant it doses, whether it is in use and the size of
//! its canister.
class AXOCOMM_EXPORT CircuitData
{
public:
    CircuitData() = default;
    //! A circuit at a position with its colorant, use and canister capacity (cc).
    CircuitData(int position, const QString &colorantCode, bool inUse, double capacity)
        : m_position(position), m_colorantCode(colorantCode), m_inUse(inUse), m_capacity(capacity)
    {
    }

    //! Position of the circuit.
    int position() const { return m_position; }
    //! Code of the colorant the circuit doses.
    QString colorantCode() const { return m_colorantCode; }
    //! Fitted and enabled: the circuit doses formulas.
    bool isInUse() const { return m_inUse; }
    //! Canister capacity, cc.
    double capacity() const { return m_capacity; }

    //! Equal in every field.
    bool operator==(const CircuitData &other) const;
    //! The negation of operator==.
    bool operator!=(const CircuitData &other) const { return !(*this == other); }

    //! {"position": int ≥ 1, "colorant": string, "inUse": bool, "capacity": double}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static CircuitData fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_position = 0;
    QString m_colorantCode;
    bool m_inUse = false;
    double m_capacity = 0.0;
};

Q_DECLARE_METATYPE(CircuitData)

#endif // CIRCUITDATA_H
