#ifndef SIMMACHINESTATE_H
#define SIMMACHINESTATE_H

#include "FW_ErrorList.h"
#include "FW_Version.h"

class SimEvent;

//! What can change on a simulated machine apart from the processes it runs:
//! in service or not, whether the driver reaches its port, its errors, a
//! mixer's door, the firmware version of its main board and a dispenser's
//! sensor readings. A plain value; SimDriverModel keeps one per machine
//! under its mutex and changes it through apply().
class SimMachineState
{
public:
    SimMachineState() = default;

    //! In service (true) or taken out of service.
    bool isActive() const { return m_active; }
    void setActive(bool active) { m_active = active; }
    //! The driver reaches the machine on its port.
    bool isConnected() const { return m_connected; }
    void setConnected(bool connected) { m_connected = connected; }
    //! Connected and in service: it answers and takes commands.
    bool isUp() const { return m_active && m_connected; }

    const FW_ErrorList &errors() const { return m_errors; }
    void setErrors(const FW_ErrorList &errors) { m_errors = errors; }
    //! Removes every error; how many there were.
    int clearErrors();

    bool isDoorOpen() const { return m_doorOpen; }
    FW_Version firmware() const { return m_firmware; }
    void setFirmware(const FW_Version &version) { m_firmware = version; }

    //! Sensor readings of a dispenser: relative humidity (%), temperature
    //! (degrees Celsius) and whether a can stands under the nozzle.
    double humidity() const { return m_humidity; }
    double temperature() const { return m_temperature; }
    bool canPresent() const { return m_canPresent; }

    //! Applies an event of any kind but SetLevel (the model keeps the
    //! levels); true when the state changed. A firmware version keeps the
    //! configuration and protocol versions the board had.
    bool apply(const SimEvent &event);

private:
    bool m_active = true;
    bool m_connected = true;
    FW_ErrorList m_errors;
    bool m_doorOpen = false;
    FW_Version m_firmware;
    double m_humidity = 55.0;
    double m_temperature = 22.0;
    bool m_canPresent = false;
};

#endif // SIMMACHINESTATE_H
