#ifndef SENSORDATAANSWER_H
#define SENSORDATAANSWER_H

#include "ProtoAnswerT.h"

//! The answer to "GET_SENSOR_DATA": one reading ({"sensor": int,
//! "measure": int, "value": double, "unit": string}).
class AXOCOMM_EXPORT SensorDataAnswer : public ProtoAnswerT<SensorDataAnswer>
{
public:
    SensorDataAnswer() = default;
    //! A reading of a sensor's measure, with its value and unit.
    SensorDataAnswer(int sensor, int measure, double value, const QString &unit)
        : m_sensor(sensor), m_measure(measure), m_value(value), m_unit(unit)
    {
    }
    //! The answer of a driver's result; check isValid().
    explicit SensorDataAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    //! The sensor read (SensorDataCmd::SensorType).
    int sensor() const { return m_sensor; }
    //! The measure read (SensorDataCmd::MeasureType).
    int measure() const { return m_measure; }
    //! The measured value, in unit().
    double value() const { return m_value; }
    //! Unit of value().
    QString unit() const { return m_unit; }

    QString answerName() const override { return QStringLiteral("SensorDataAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    int m_sensor = 0;
    int m_measure = 0;
    double m_value = 0.0;
    QString m_unit;
};

#endif // SENSORDATAANSWER_H
