#ifndef SENSORDATAANSWER_H
#define SENSORDATAANSWER_H

#include "ProtoAnswerT.h"

//! The answer to "GET_SENSOR_DATA": one reading ({"sensor": int,
//! "measure": int, "value": double, "unit": string}).
class AXOCOMM_EXPORT SensorDataAnswer : public ProtoAnswerT<SensorDataAnswer>
{
public:
    SensorDataAnswer() = default;
    SensorDataAnswer(int sensor, int measure, double value, const QString &unit)
        : m_sensor(sensor), m_measure(measure), m_value(value), m_unit(unit)
    {
    }
    explicit SensorDataAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    int sensor() const { return m_sensor; }
    int measure() const { return m_measure; }
    //! The measured value, in unit().
    double value() const { return m_value; }
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
