#ifndef SENSORDATACMD_H
#define SENSORDATACMD_H

#include "ProtoCommand.h"

//! "GET_SENSOR_DATA": one reading of one sensor of a dispenser
//! (params = [sensor, measure]). The driver answers with a SensorDataAnswer.
class AXOCOMM_EXPORT SensorDataCmd : public ProtoCommand
{
public:
    //! The sensors a dispenser may carry.
    enum SensorType {
        SensorHumidityProbe = 0,  //!< humidity and temperature probe of the canister area
        SensorHumidifier = 1,     //!< the humidifier's own thermometer
        SensorGearMotor = 11,     //!< speed of the gear/AC motor driving the pumps
        SensorMotorInverter = 12  //!< current drawn by the motor's inverter
    };
    //! What a sensor measures: every sensor has its main measure (temperature
    //! in degrees Celsius for the probes, rpm for the motor, A for the
    //! inverter); the humidity probe also gives relative humidity (%).
    enum MeasureType {
        MeasureMain = 0, //!< the sensor's main measure
        MeasureHumidity = 1 //!< relative humidity, % (humidity probe only)
    };
    //! Groups of readings a dispenser offers (see readingTypes).
    enum ReadingType {
        ReadingHumidityProbe = 0, //!< probe temperature and humidity
        ReadingHumidifier = 1,    //!< humidifier temperature
        ReadingMotor = 2          //!< gear/AC motor speed and inverter current
    };

    //! Reads that measure of that sensor.
    SensorDataCmd(SensorType sensor, MeasureType measure);

    //! The sensor read.
    SensorType sensor() const { return m_sensor; }
    //! The measure read.
    MeasureType measure() const { return m_measure; }
    ProtoCommand *clone() const override { return new SensorDataCmd(*this); }

    //! Whether the driver reads that measure of that sensor.
    static bool isValidReading(int sensor, int measure);
    //! The reading groups of a dispenser fitted with a humidifier (device
    //! kind 5), a humidity probe (kind 7), a gear-motor sensor (kind 11),
    //! with a single transmission, on main board 63: the probe reading when
    //! the probe is fitted, else the humidifier's thermometer when a
    //! humidifier is; the motor readings with a gear-motor sensor, or on a
    //! single-transmission machine whose main board (63) reads its inverter.
    static QList<int> readingTypes(bool humidifier, bool humidityProbe, bool gearMotorSensor,
                                   bool singleTransmission, bool inverterBoard);

private:
    SensorType m_sensor;
    MeasureType m_measure;
};

#endif // SENSORDATACMD_H
