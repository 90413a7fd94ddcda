#include "NECurrMachineCommand.h"

#include "AXOCurrentCommData.h"
#include "FW_Machine.h"

namespace {

int currentDriver()
{
    return AXOCurrentCommData::instance()->currentDriverID();
}

MachineID currentTarget()
{
    return AXOCurrentCommData::instance()->currentMachineID();
}

} // namespace

NECurrMachineCommand::NECurrMachineCommand() = default;

NECurrMachineCommand::NECurrMachineCommand(const QString &name) : NECommand(currentDriver(), currentTarget(), name) { }

NECurrMachineCommand::NECurrMachineCommand(const QString &name, const QVariant &parameter)
    : NECommand(currentDriver(), currentTarget(), name, parameter)
{ }

NECurrMachineCommand::NECurrMachineCommand(const QString &name, const QList<QVariant> &parameters)
    : NECommand(currentDriver(), currentTarget(), name, parameters)
{ }

NECurrMachineCommand::NECurrMachineCommand(
    const QString &name, const QList<QVariant> &parameters, const FW_Machine *machine)
    : NECommand(currentDriver(), currentTarget(), name, parameters, machine)
{ }

NECurrMachineCommand::NECurrMachineCommand(const ProtoCommand *protoCommand)
    : NECommand(currentDriver(), currentTarget(), protoCommand)
{ }

NECurrMachineCommand::NECurrMachineCommand(const NCCommand *ncCommand)
    : NECommand(currentDriver(), currentTarget(), ncCommand)
{ }
