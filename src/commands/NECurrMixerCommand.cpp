#include "NECurrMixerCommand.h"

#include "AXOCurrentCommData.h"
#include "FW_Mixer.h"

namespace {

int currentDriver()
{
    return AXOCurrentCommData::instance()->currentDriverID();
}

MachineID currentTarget()
{
    return MachineID(AXOCurrentCommData::instance()->currentMixerID(), MachineID::Mixer);
}

} // namespace

NECurrMixerCommand::NECurrMixerCommand() = default;

NECurrMixerCommand::NECurrMixerCommand(const QString &name) : NECommand(currentDriver(), currentTarget(), name) { }

NECurrMixerCommand::NECurrMixerCommand(const QString &name, const QVariant &parameter)
    : NECommand(currentDriver(), currentTarget(), name, parameter)
{ }

NECurrMixerCommand::NECurrMixerCommand(const QString &name, const QList<QVariant> &parameters)
    : NECommand(currentDriver(), currentTarget(), name, parameters)
{ }

NECurrMixerCommand::NECurrMixerCommand(const QString &name, const QList<QVariant> &parameters, const FW_Mixer *machine)
    : NECommand(currentDriver(), currentTarget(), name, parameters, machine)
{ }

NECurrMixerCommand::NECurrMixerCommand(const ProtoCommand *protoCommand)
    : NECommand(currentDriver(), currentTarget(), protoCommand)
{ }

NECurrMixerCommand::NECurrMixerCommand(const NCCommand *ncCommand)
    : NECommand(currentDriver(), currentTarget(), ncCommand)
{ }
