#include "ProtoCommandRecord.h"

bool ProtoCommandRecord::isConfiguration(bool strict) const
{
    return strict ? configurationClass == StrictConfiguration
                  : configurationClass != NotConfiguration;
}

bool ProtoCommandRecord::isScale(bool strict) const
{
    return strict ? scaleClass == StrictScale : scaleClass != NotScale;
}

QString ProtoCommandRecord::groupName(int group)
{
    switch (group) {
    case StatusGroup: return QStringLiteral("Status");
    case ProcessGroup: return QStringLiteral("Process");
    case DispensingGroup: return QStringLiteral("Dispensing");
    case ErrorsGroup: return QStringLiteral("Errors");
    case ConfigurationGroup: return QStringLiteral("Configuration");
    case FirmwareGroup: return QStringLiteral("Firmware");
    case SessionGroup: return QStringLiteral("Session");
    case DriverGroup: return QStringLiteral("Driver");
    case MachineDataGroup: return QStringLiteral("Machine data");
    case ScaleGroup: return QStringLiteral("Scale");
    case StatisticsGroup: return QStringLiteral("Statistics");
    case FilesGroup: return QStringLiteral("Files");
    case ServiceGroup: return QStringLiteral("Service");
    case SimulationGroup: return QStringLiteral("Simulation");
    default: return QString();
    }
}
