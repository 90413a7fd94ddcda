#ifndef NECURRMACHINECOMMAND_H
#define NECURRMACHINECOMMAND_H

#include "NECommand.h"

class FW_Machine;

//! A command for the current machine of the current driver, read when the command is built.
class AXOCOMM_EXPORT NECurrMachineCommand : public NECommand
{
public:
    NECurrMachineCommand();
    NECurrMachineCommand(const QString &name);
    NECurrMachineCommand(const QString &name, const QVariant &parameter);
    NECurrMachineCommand(const QString &name, const QList<QVariant> &parameters);
    NECurrMachineCommand(const QString &name, const QList<QVariant> &parameters, const FW_Machine *machine);
    NECurrMachineCommand(const ProtoCommand *protoCommand);
    NECurrMachineCommand(const NCCommand *ncCommand);
    NECurrMachineCommand(const NECurrMachineCommand &other) = default;
    NECurrMachineCommand &operator=(const NECurrMachineCommand &other) = default;
};

#endif // NECURRMACHINECOMMAND_H
