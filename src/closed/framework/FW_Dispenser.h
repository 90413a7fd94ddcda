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
    enum Transmission {
        IndividualMotors = 0, //!< one motor per pump
        SingleTransmission = 1 //!< one motor drives every pump through a shared transmission
    };
    enum DosingMode {
        Volumetric = 0,
        GravimetricHardware = 1, //!< the scale electronics stop the pumps
        GravimetricSoftware = 2  //!< the driver runs the dosing motors from the scale readings
    };

    explicit FW_Dispenser(int number = 0);

    FW_Dispenser *clone() const override { return new FW_Dispenser(*this); }

    //! Circuits in position order.
    QList<FW_Circuit> circuits() const { return m_circuits; }
    //! Replaces the circuits; false (and nothing changed) when two share a position or a position is below 1.
    bool setCircuits(const QList<FW_Circuit> &circuits);
    //! Adds a circuit or replaces the one at its position; false for a position below 1.
    bool setCircuit(const FW_Circuit &circuit);
    bool removeCircuit(int position);
    int numOfCircuits() const { return m_circuits.size(); }
    bool hasCircuit(int position) const { return indexOf(position) >= 0; }
    //! The circuit at that position; null when there is none.
    const FW_Circuit *circuit(int position) const;
    //! Positions in ascending order; with onlyEnabled just the circuits in use.
    QList<int> getPositionsIDList(bool onlyEnabled) const;

    QList<int> devices() const { return m_devices; }
    void setDevices(const QList<int> &kinds);
    bool hasDevice(int kind) const { return m_devices.contains(kind); }

    Transmission transmission() const { return m_transmission; }
    void setTransmission(Transmission transmission) { m_transmission = transmission; }
    bool hasSingleTransmission() const { return m_transmission == SingleTransmission; }

    DosingMode dosingMode() const { return m_dosingMode; }
    void setDosingMode(DosingMode mode) { m_dosingMode = mode; }
    bool isGravimetric() const { return m_dosingMode != Volumetric; }
    bool hasGravimetricSwDosingMotors() const { return m_dosingMode == GravimetricSoftware; }

    //! Machine number of the scale this dispenser weighs on; 0 for none.
    int scaleNumber() const { return m_scaleNumber; }
    void setScaleNumber(int number) { m_scaleNumber = number; }
    bool hasScale() const { return m_scaleNumber > 0; }

    //! Applies each entry to the circuit at its position; entries for
    //! positions without a circuit are skipped. Returns how many were applied.
    int setGravimetricSettings(const QList<CircuitGravSettings> &settings);
    //! The settings of the given positions (all circuits for an empty list), in position order.
    QList<CircuitGravSettings> gravimetricSettings(const QList<int> &positions = QList<int>()) const;

    //! The machine members plus {"circuits": [FW_Circuit struct], "devices": [int],
    //! "transmission": int, "dosingMode": int, "scale": int}
    XmlRpc::XmlRpcValue toXmlRpcValue() const override;
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
