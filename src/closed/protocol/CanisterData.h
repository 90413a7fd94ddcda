#ifndef CANISTERDATA_H
#define CANISTERDATA_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! The canister of one circuit as "GET_CANISTER_LIST" reports it: position,
//! colorant, the level now, the capacity and the reserve level (all cc).
class AXOCOMM_EXPORT CanisterData
{
public:
    CanisterData() = default;
    //! The canister at a position, with its colorant and level, capacity and reserve (cc).
    CanisterData(int position, const QString &colorantCode, double level, double capacity, double reserve)
        : m_position(position), m_colorantCode(colorantCode), m_level(level), m_capacity(capacity), m_reserve(reserve)
    {
    }

    //! Position of the circuit.
    int position() const { return m_position; }
    //! Code of the colorant in the canister.
    QString colorantCode() const { return m_colorantCode; }
    //! Colorant in the canister now, cc.
    double level() const { return m_level; }
    //! Canister capacity, cc.
    double capacity() const { return m_capacity; }
    //! Reserve level, cc.
    double reserveLevel() const { return m_reserve; }
    //! At or below the reserve level.
    bool isInReserve() const { return m_level <= m_reserve; }

    //! Equal in every field.
    bool operator==(const CanisterData &other) const;
    //! The negation of operator==.
    bool operator!=(const CanisterData &other) const { return !(*this == other); }

    //! {"position": int ≥ 1, "colorant": string, "level": double ≥ 0,
    //!  "capacity": double ≥ 0, "reserve": double ≥ 0}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static CanisterData fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_position = 0;
    QString m_colorantCode;
    double m_level = 0.0;
    double m_capacity = 0.0;
    double m_reserve = 0.0;
};

Q_DECLARE_METATYPE(CanisterData)

#endif // CANISTERDATA_H
