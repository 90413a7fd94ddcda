#include "NECurrDispCommand.h"

#include "AXOCurrentCommData.h"
#include "FW_Dispenser.h"

namespace {

int currentDriver()
{
    return AXOCurrentCommData::instance()->currentDriverID();
}

MachineID currentTarget()
{
    return MachineID(AXOCurrentCommData::instance()->currentDispenserID(), MachineID::Dispenser);
}

} // namespace

NECurrDispCommand::NECurrDispCommand() = default;

NECurrDispCommand::NECurrDispCommand(const QString &name) : NECommand(currentDriver(), currentTarget(), name) { }

NECurrDispCommand::NECurrDispCommand(const QString &name, const QVariant &parameter)
    : NECommand(currentDriver(), currentTarget(), name, parameter)
{ }

NECurrDispCommand::NECurrDispCommand(const QString &name, const QList<QVariant> &parameters)
    : NECommand(currentDriver(), currentTarget(), name, parameters)
{ }

NECurrDispCommand::NECurrDispCommand(
    const QString &name, const QList<QVariant> &parameters, const FW_Dispenser *machine)
    : NECommand(currentDriver(), currentTarget(), name, parameters, machine)
{ }

NECurrDispCommand::NECurrDispCommand(const ProtoCommand *protoCommand)
    : NECommand(currentDriver(), currentTarget(), protoCommand)
{ }

NECurrDispCommand::NECurrDispCommand(const NCCommand *ncCommand)
    : NECommand(currentDriver(), currentTarget(), ncCommand)
{ }
