#include "CircuitProcess.h"

QString CircuitProcess::name(int process)
{
    static const char *const names[Count] = {
        "None", "Dispensing", "Recirculation", "Stirring", "Pack", "ValveActive", "Reset", "Cleaning", "Priming",
        "AirPurge", "CriticalLevel", "NozzleValveDX", "ReserveSensorReading", "StallLevelProc", "NozzleValveGX",
    };
    if (process < 0 || process >= Count)
        return QStringLiteral("Unknown(%1)").arg(process);
    return QString::fromLatin1(names[process]);
}
