#ifndef CIRCUITPROCESS_H
#define CIRCUITPROCESS_H

#include "AXOCommGlobal.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! A process a dispenser runs on its circuits, as the active-circuits query
//! reports it. Holds the number exchanged with the driver (which may be one
//! this software does not know) and converts to and from int.
class AXOCOMM_EXPORT CircuitProcess
{
public:
    //! The processes this software knows.
    enum Value : int {
        None = 0, //!< no process
        Dispensing = 1,
        Recirculation = 2,
        Stirring = 3,
        Pack = 4,
        ValveActive = 5,
        Reset = 6,
        Cleaning = 7,
        Priming = 8,
        AirPurge = 9,
        CriticalLevel = 10,
        NozzleValveDX = 11, //!< nozzle valve cycle of the DX family
        ReserveSensorReading = 12,
        StallLevelProc = 13,
        NozzleValveGX = 14, //!< nozzle valve cycle of the GX family
        Count = 15 //!< one beyond the last known number
    };

    //! Holds any number, known or not.
    constexpr CircuitProcess(int value = None) : m_value(value) {}
    //! The number exchanged with the driver.
    constexpr operator int() const { return m_value; }

    //! "Dispensing"; "Unknown(%1)" for a number below 0 or of Count and above.
    static QString name(int process);

private:
    int m_value;
};

//! The same numbers under their long names.
enum : int {
    CircuitProcessNone = CircuitProcess::None,
    CircuitProcessDispensing = CircuitProcess::Dispensing,
    CircuitProcessRecirculation = CircuitProcess::Recirculation,
    CircuitProcessStirring = CircuitProcess::Stirring,
    CircuitProcessPack = CircuitProcess::Pack,
    CircuitProcessValveActive = CircuitProcess::ValveActive,
    CircuitProcessReset = CircuitProcess::Reset,
    CircuitProcessCleaning = CircuitProcess::Cleaning,
    CircuitProcessPriming = CircuitProcess::Priming,
    CircuitProcessAirPurge = CircuitProcess::AirPurge,
    CircuitProcessCriticalLevel = CircuitProcess::CriticalLevel,
    CircuitProcessNozzleValveDX = CircuitProcess::NozzleValveDX,
    CircuitProcessReserveSensorReading = CircuitProcess::ReserveSensorReading,
    CircuitProcessStallLevel = CircuitProcess::StallLevelProc,
    CircuitProcessNozzleValveGX = CircuitProcess::NozzleValveGX,
    CircuitProcessCount = CircuitProcess::Count
};

Q_DECLARE_METATYPE(CircuitProcess)

#endif // CIRCUITPROCESS_H
