#ifndef NECURRMACHINECOMMAND_H
#define NECURRMACHINECOMMAND_H

#include "NECommand.h"

class FW_Machine;

//! A command for the current machine of the current driver, read when the command is built.
class AXOCOMM_EXPORT NECurrMachineCommand : public NECommand
{
public:
    //! An empty command.
    NECurrMachineCommand();
    //! By name for the current machine of the current driver; throws FW_Exception as NECommand does.
    NECurrMachineCommand(const QString &name);
    //! The same with one parameter.
    NECurrMachineCommand(const QString &name, const QVariant &parameter);
    //! The same with its parameters.
    NECurrMachineCommand(const QString &name, const QList<QVariant> &parameters);
    //! The same with a copy of the machine configuration it works on.
    NECurrMachineCommand(const QString &name, const QList<QVariant> &parameters, const FW_Machine *machine);
    //! Adopts a copy of a ready protocol command.
    NECurrMachineCommand(const ProtoCommand *protoCommand);
    //! A notify-changed query.
    NECurrMachineCommand(const NCCommand *ncCommand);
    //! A deep copy, as NECommand's.
    NECurrMachineCommand(const NECurrMachineCommand &other) = default;
    //! A deep copy, as NECommand's.
    NECurrMachineCommand &operator=(const NECurrMachineCommand &other) = default;
};

#endif // NECURRMACHINECOMMAND_H
