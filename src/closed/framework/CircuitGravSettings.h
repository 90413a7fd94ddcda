#ifndef CIRCUITGRAVSETTINGS_H
#define CIRCUITGRAVSETTINGS_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>

//! Gravimetric dosing settings of one circuit: whether the scale checks what
//! the circuit doses, the accepted deviation and the smallest amount that is
//! dosed by weight (smaller amounts are dosed by volume).
class AXOCOMM_EXPORT CircuitGravSettings
{
public:
    CircuitGravSettings() = default;
    //! Settings of the circuit at a position: enabled, tolerance (percent), smallest amount by weight (g).
    CircuitGravSettings(int position, bool enabled, double tolerance, double minAmount)
        : m_position(position), m_enabled(enabled), m_tolerance(tolerance), m_minAmount(minAmount)
    {
    }

    //! Position of the circuit the settings are for.
    int position() const { return m_position; }
    //! Sets position().
    void setPosition(int position) { m_position = position; }
    //! Whether the scale checks what the circuit doses.
    bool isEnabled() const { return m_enabled; }
    //! Sets isEnabled().
    void setEnabled(bool enabled) { m_enabled = enabled; }
    //! Accepted deviation, percent of the requested amount.
    double tolerance() const { return m_tolerance; }
    //! Sets tolerance().
    void setTolerance(double tolerance) { m_tolerance = tolerance; }
    //! Grams.
    double minAmount() const { return m_minAmount; }
    //! Sets minAmount().
    void setMinAmount(double grams) { m_minAmount = grams; }

    //! Equal in every field.
    bool operator==(const CircuitGravSettings &other) const;
    //! The negation of operator==.
    bool operator!=(const CircuitGravSettings &other) const { return !(*this == other); }

    //! {"position": int, "enabled": bool, "tolerance": double, "minAmount": double}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static CircuitGravSettings fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_position = 0;
    bool m_enabled = false;
    double m_tolerance = 2.0;
    double m_minAmount = 0.5;
};

Q_DECLARE_METATYPE(CircuitGravSettings)

#endif // CIRCUITGRAVSETTINGS_H
