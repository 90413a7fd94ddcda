#include "NEMixerCommand.h"

#include "FW_Mixer.h"

NEMixerCommand::NEMixerCommand() = default;

NEMixerCommand::NEMixerCommand(int driverID, int mixerID, const QString &name)
    : NECommand(driverID, MachineID(mixerID, MachineID::Mixer), name)
{ }

NEMixerCommand::NEMixerCommand(int driverID, int mixerID, const QString &name, const QVariant &parameter)
    : NECommand(driverID, MachineID(mixerID, MachineID::Mixer), name, parameter)
{ }

NEMixerCommand::NEMixerCommand(int driverID, int mixerID, const QString &name, const QList<QVariant> &parameters)
    : NECommand(driverID, MachineID(mixerID, MachineID::Mixer), name, parameters)
{ }

NEMixerCommand::NEMixerCommand(
    int driverID, int mixerID, const QString &name, const QList<QVariant> &parameters, const FW_Mixer *machine)
    : NECommand(driverID, MachineID(mixerID, MachineID::Mixer), name, parameters, machine)
{ }

NEMixerCommand::NEMixerCommand(int driverID, int mixerID, const ProtoCommand *protoCommand)
    : NECommand(driverID, MachineID(mixerID, MachineID::Mixer), protoCommand)
{ }

NEMixerCommand::NEMixerCommand(int driverID, int mixerID, const NCCommand *ncCommand)
    : NECommand(driverID, MachineID(mixerID, MachineID::Mixer), ncCommand)
{ }
