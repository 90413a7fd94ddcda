#ifndef FW_DISPENSER_H
#define FW_DISPENSER_H

#include "AXOCommGlobal.h"
#include "CircuitGravSettings.h"
#include "FW_Circuit.h"
#include "FW_Machine.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>

//! A dispenser: its circuits (one per colorant canister, at numbered
//! positions), the optional devices fitted, how its pumps are driven and how
//! it doses (by volume or by weight on an attached scale).
class AXOCOMM_EXPORT FW_Dispenser : public FW_Machine
{
public:
    //! Optional devices a dispenser can carry.
    enum DeviceKind {
        DeviceAutocap = 1,
        DeviceStirrer = 2,
        DeviceNozzleValve = 3,
        DeviceCanLift = 4,
        DeviceHumidifier = 5,
        DeviceNozzleCleaner = 6,
        DeviceHumiditySensor = 7,   //!< humidity and temperature probe in the canister area
        DeviceBarcodeReader = 8,
        DeviceGearMotorSensor = 11, //!< current and temperature probe of the gear/AC motor
        DeviceUltrasonicCleaner = 16
    };
    //! How the pumps are driven.
    enum Transmission {
        IndividualMotors = 0, //!< one motor per pump
        SingleTransmission = 1 //!< one motor drives every pump through a shared transmission
    };
    //! How amounts are measured.
    enum DosingMode {
        Volumetric = 0,
        GravimetricHardware = 1, //!< the scale electronics stop the pumps
        GravimetricSoftware = 2  //!< the driver runs the dosing motors from the scale readings
    };

    //! Dispenser {number, 1} without circuits or devices.
    explicit FW_Dispenser(int number = 0);

    FW_Dispenser *clone() const override { return new FW_Dispenser(*this); }

    //! Circuits in position order.
    QList<FW_Circuit> circuits() const { return m_circuits; }
    //! Replaces the circuits; false (and nothing changed) when two share a position or a position is below 1.
    bool setCircuits(const QList<FW_Circuit> &circuits);
    //! Adds a circuit or replaces the one at its position; false for a position below 1.
    bool setCircuit(const FW_Circuit &circuit);
    //! Removes the circuit at that position; false when there is none.
    bool removeCircuit(int position);
    //! The number of circuits.
    int numOfCircuits() const { return m_circuits.size(); }
    //! A circuit is at that position.
    bool hasCircuit(int position) const { return indexOf(position) >= 0; }
    //! The circuit at that position; null when there is none.
    const FW_Circuit *circuit(int position) const;
    //! Positions in ascending order; with onlyEnabled just the circuits in use.
    QList<int> getPositionsIDList(bool onlyEnabled) const;

    //! The optional device kinds fitted (DeviceKind values).
    QList<int> devices() const { return m_devices; }
    //! Sets the device kinds, each once.
    void setDevices(const QList<int> &kinds);
    //! That device kind is fitted.
    bool hasDevice(int kind) const { return m_devices.contains(kind); }

    //! How the pumps are driven.
    Transmission transmission() const { return m_transmission; }
    //! Sets the transmission.
    void setTransmission(Transmission transmission) { m_transmission = transmission; }
    //! One motor drives every pump.
    bool hasSingleTransmission() const { return m_transmission == SingleTransmission; }

    //! How amounts are measured.
    DosingMode dosingMode() const { return m_dosingMode; }
    //! Sets the dosing mode.
    void setDosingMode(DosingMode mode) { m_dosingMode = mode; }
    //! Amounts are weighed (either gravimetric mode).
    bool isGravimetric() const { return m_dosingMode != Volumetric; }
    //! The driver runs the dosing motors from the scale readings.
    bool hasGravimetricSwDosingMotors() const { return m_dosingMode == GravimetricSoftware; }

    //! Machine number of the scale this dispenser weighs on; 0 for none.
    int scaleNumber() const { return m_scaleNumber; }
    //! Sets the scale's number (0: none).
    void setScaleNumber(int number) { m_scaleNumber = number; }
    //! The dispenser weighs on a scale.
    bool hasScale() const { return m_scaleNumber > 0; }

    //! Applies each entry to the circuit at its position; entries for
    //! positions without a circuit are skipped. Returns how many were applied.
    int setGravimetricSettings(const QList<CircuitGravSettings> &settings);
    //! The settings of the given positions (all circuits for an empty list), in position order.
    QList<CircuitGravSettings> gravimetricSettings(const QList<int> &positions = QList<int>()) const;

    //! The machine members plus {"circuits": [FW_Circuit struct], "devices": [int],
    //! "transmission": int, "dosingMode": int, "scale": int}
    XmlRpc::XmlRpcValue toXmlRpcValue() const override;
    //! The dispenser of such a struct; *ok false when it is not one.
    static FW_Dispenser fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

protected:
    bool isEqual(const FW_Machine &other) const override;

private:
    int indexOf(int position) const;

    QList<FW_Circuit> m_circuits;
    QList<int> m_devices;
    Transmission m_transmission = IndividualMotors;
    DosingMode m_dosingMode = Volumetric;
    int m_scaleNumber = 0;
};

Q_DECLARE_METATYPE(FW_Dispenser)

#endif // FW_DISPENSER_H
