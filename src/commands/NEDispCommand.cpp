#include "NEDispCommand.h"

#include "FW_Dispenser.h"

NEDispCommand::NEDispCommand() = default;

NEDispCommand::NEDispCommand(int driverID, int dispID, const QString &name)
    : NECommand(driverID, MachineID(dispID, MachineID::Dispenser), name)
{ }

NEDispCommand::NEDispCommand(int driverID, int dispID, const QString &name, const QVariant &parameter)
    : NECommand(driverID, MachineID(dispID, MachineID::Dispenser), name, parameter)
{ }

NEDispCommand::NEDispCommand(int driverID, int dispID, const QString &name, const QList<QVariant> &parameters)
    : NECommand(driverID, MachineID(dispID, MachineID::Dispenser), name, parameters)
{ }

NEDispCommand::NEDispCommand(
    int driverID, int dispID, const QString &name, const QList<QVariant> &parameters, const FW_Dispenser *machine)
    : NECommand(driverID, MachineID(dispID, MachineID::Dispenser), name, parameters, machine)
{ }

NEDispCommand::NEDispCommand(int driverID, int dispID, const ProtoCommand *protoCommand)
    : NECommand(driverID, MachineID(dispID, MachineID::Dispenser), protoCommand)
{ }

NEDispCommand::NEDispCommand(int driverID, int dispID, const NCCommand *ncCommand)
    : NECommand(driverID, MachineID(dispID, MachineID::Dispenser), ncCommand)
{ }
