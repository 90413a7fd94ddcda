#ifndef CALIBRATIONDATA_H
#define CALIBRATIONDATA_H

#include "BasicCalibrationData.h"

//! One calibration point of a circuit as it was measured: the recalibration
//! point (circuit, volume, factor) plus the pump steps that were run and the
//! weight the scale read for them.
class AXOCOMM_EXPORT CalibrationData : public BasicCalibrationData
{
public:
    CalibrationData() = default;
    //! A measured point: circuit, volume (cc), factor, pump steps and grams weighed.
    CalibrationData(int circuit, double volume, double factor, int steps, double weight)
        : BasicCalibrationData(circuit, volume, factor), m_steps(steps), m_weight(weight)
    {
    }

    //! Pump motor steps dosed for the volume.
    int steps() const { return m_steps; }
    //! Sets steps().
    void setSteps(int steps) { m_steps = steps; }
    //! Grams weighed.
    double weight() const { return m_weight; }
    //! Sets weight().
    void setWeight(double grams) { m_weight = grams; }

    //! Equal in every field.
    bool operator==(const CalibrationData &other) const;
    //! The negation of operator==.
    bool operator!=(const CalibrationData &other) const { return !(*this == other); }

    //! The basic members plus {"steps": int, "weight": double}.
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! Negative steps or weight are malformed.
    static CalibrationData fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    int m_steps = 0;
    double m_weight = 0.0;
};

Q_DECLARE_METATYPE(CalibrationData)

#endif // CALIBRATIONDATA_H
