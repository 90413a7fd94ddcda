#include "SensorDataCmd.h"

SensorDataCmd::SensorDataCmd(SensorType sensor, MeasureType measure)
    : ProtoCommand(QStringLiteral("GET_SENSOR_DATA"), QList<QVariant>{int(sensor), int(measure)}),
      m_sensor(sensor),
      m_measure(measure)
{
}

bool SensorDataCmd::isValidReading(int sensor, int measure)
{
    switch (sensor) {
    case SensorHumidityProbe: return measure == MeasureMain || measure == MeasureHumidity;
    case SensorHumidifier:
    case SensorGearMotor:
    case SensorMotorInverter: return measure == MeasureMain;
    default: return false;
    }
}

QList<int> SensorDataCmd::readingTypes(bool humidifier, bool humidityProbe, bool gearMotorSensor,
                                       bool singleTransmission, bool inverterBoard)
{
    QList<int> types;
    if (humidityProbe)
        types.append(ReadingHumidityProbe);
    else if (humidifier)
        types.append(ReadingHumidifier);
    if (gearMotorSensor || (singleTransmission && inverterBoard))
        types.append(ReadingMotor);
    return types;
}
