#ifndef BASICCALIBRATIONDATA_H
#define BASICCALIBRATIONDATA_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>

//! One recalibration point of a circuit: the correction factor the driver
//! applies to the nominal pump stroke when it doses that volume. A circuit
//! has its points in ascending volumes; factors are above 0.
class AXOCOMM_EXPORT BasicCalibrationData
{
public:
    BasicCalibrationData() = default;
    //! A point of a circuit: volume (cc) and factor.
    BasicCalibrationData(int circuit, double volume, double factor)
        : m_circuit(circuit), m_volume(volume), m_factor(factor)
    {
    }

    //! The circuit's position (1 and above).
    int circuit() const { return m_circuit; }
    //! Sets circuit().
    void setCircuit(int position) { m_circuit = position; }
    //! cc.
    double volume() const { return m_volume; }
    //! Sets volume().
    void setVolume(double cc) { m_volume = cc; }
    //! The factor applied to the nominal pump stroke at that volume.
    double factor() const { return m_factor; }
    //! Sets factor().
    void setFactor(double factor) { m_factor = factor; }

    //! Equal in every field.
    bool operator==(const BasicCalibrationData &other) const;
    //! The negation of operator==.
    bool operator!=(const BasicCalibrationData &other) const { return !(*this == other); }

    //! {"circuit": int, "volume": double, "factor": double}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! A circuit below 1, a negative volume or a factor not above 0 is malformed.
    static BasicCalibrationData fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

protected:
    //! Reads the three members into this; false when one is missing or out of range.
    bool readBasic(const XmlRpc::XmlRpcValue &value);
    //! Writes the three members into a struct.
    void writeBasic(XmlRpc::XmlRpcValue &value) const;

private:
    int m_circuit = 0;
    double m_volume = 0.0;
    double m_factor = 1.0;
};

Q_DECLARE_METATYPE(BasicCalibrationData)

#endif // BASICCALIBRATIONDATA_H
