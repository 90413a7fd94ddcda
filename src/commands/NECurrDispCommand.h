#ifndef NECURRDISPCOMMAND_H
#define NECURRDISPCOMMAND_H

#include "NECommand.h"

class FW_Dispenser;

//! A command for the current dispenser of the current driver, read when the command is built.
class AXOCOMM_EXPORT NECurrDispCommand : public NECommand
{
public:
    //! An empty command.
    NECurrDispCommand();
    //! By name for the current dispenser of the current driver; throws FW_Exception as NECommand does.
    NECurrDispCommand(const QString &name);
    //! The same with one parameter.
    NECurrDispCommand(const QString &name, const QVariant &parameter);
    //! The same with its parameters.
    NECurrDispCommand(const QString &name, const QList<QVariant> &parameters);
    //! The same with a copy of the machine configuration it works on.
    NECurrDispCommand(const QString &name, const QList<QVariant> &parameters, const FW_Dispenser *machine);
    //! Adopts a copy of a ready protocol command.
    NECurrDispCommand(const ProtoCommand *protoCommand);
    //! A notify-changed query.
    NECurrDispCommand(const NCCommand *ncCommand);
    //! A deep copy, as NECommand's.
    NECurrDispCommand(const NECurrDispCommand &other) = default;
    //! A deep copy, as NECommand's.
    NECurrDispCommand &operator=(const NECurrDispCommand &other) = default;
};

#endif // NECURRDISPCOMMAND_H
