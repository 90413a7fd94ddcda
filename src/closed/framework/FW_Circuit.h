#ifndef FW_CIRCUIT_H
#define FW_CIRCUIT_H

#include "AXOCommGlobal.h"
#include "CircuitGravSettings.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! One circuit of a dispenser: the position it occupies, the colorant in its
//! canister, the canister's size and reserve, the pump that doses it and its
//! gravimetric settings. A circuit that is not enabled is fitted but not in use.
class AXOCOMM_EXPORT FW_Circuit
{
public:
    FW_Circuit() = default;
    //! An enabled (by default) circuit at a position, with its colorant and canister capacity (cc).
    FW_Circuit(int position, const QString &colorantCode, double capacity, bool enabled = true);

    //! The position the circuit occupies on the dispenser.
    int position() const { return m_position; }
    //! Moves the circuit, its gravimetric settings with it.
    void setPosition(int position);
    //! Whether the circuit is in use.
    bool isEnabled() const { return m_enabled; }
    //! Sets isEnabled().
    void setEnabled(bool enabled) { m_enabled = enabled; }
    //! Code of the colorant in the canister.
    QString colorantCode() const { return m_colorantCode; }
    //! Sets colorantCode().
    void setColorantCode(const QString &code) { m_colorantCode = code; }
    //! Readable name of the colorant.
    QString colorantName() const { return m_colorantName; }
    //! Sets colorantName().
    void setColorantName(const QString &name) { m_colorantName = name; }
    //! Canister capacity and reserve level, cc.
    double capacity() const { return m_capacity; }
    //! Sets capacity().
    void setCapacity(double cc) { m_capacity = cc; }
    //! Level below which the canister is in reserve, cc.
    double reserveLevel() const { return m_reserve; }
    //! Sets reserveLevel().
    void setReserveLevel(double cc) { m_reserve = cc; }
    //! Colorant in the canister, cc, as the driver last reported it
    //! ("GET_CANISTER_LIST"); 0 until then.
    double level() const { return m_level; }
    //! Sets level().
    void setLevel(double cc) { m_level = cc; }
    //! Colorant density, g/cc (turns volumes into weights).
    double density() const { return m_density; }
    //! Sets density().
    void setDensity(double density) { m_density = density; }
    //! Pump model; selects the calibration profile.
    int pumpModel() const { return m_pumpModel; }
    //! Sets pumpModel().
    void setPumpModel(int model) { m_pumpModel = model; }
    //! The circuit's gravimetric settings.
    CircuitGravSettings gravSettings() const { return m_grav; }
    //! Takes the settings; their position becomes this circuit's.
    void setGravSettings(const CircuitGravSettings &settings);

    //! Equal in every field.
    bool operator==(const FW_Circuit &other) const;
    //! The negation of operator==.
    bool operator!=(const FW_Circuit &other) const { return !(*this == other); }

    //! {"position": int, "enabled": bool, "colorant": string, "colorantName": string,
    //!  "capacity": double, "reserve": double, "level": double, "density": double, "pump": int,
    //!  "grav": CircuitGravSettings struct}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Reads the struct; a default object, and *ok false, when it is malformed.
    static FW_Circuit fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_position = 0;
    bool m_enabled = true;
    QString m_colorantCode;
    QString m_colorantName;
    double m_capacity = 0.0;
    double m_reserve = 0.0;
    double m_level = 0.0;
    double m_density = 1.0;
    int m_pumpModel = 0;
    CircuitGravSettings m_grav;
};

Q_DECLARE_METATYPE(FW_Circuit)

#endif // FW_CIRCUIT_H
