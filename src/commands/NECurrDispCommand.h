#ifndef NECURRDISPCOMMAND_H
#define NECURRDISPCOMMAND_H

#include "NECommand.h"

class FW_Dispenser;

//! A command for the current dispenser of the current driver, read when the command is built.
class AXOCOMM_EXPORT NECurrDispCommand : public NECommand
{
public:
    NECurrDispCommand();
    NECurrDispCommand(const QString &name);
    NECurrDispCommand(const QString &name, const QVariant &parameter);
    NECurrDispCommand(const QString &name, const QList<QVariant> &parameters);
    NECurrDispCommand(const QString &name, const QList<QVariant> &parameters, const FW_Dispenser *machine);
    NECurrDispCommand(const ProtoCommand *protoCommand);
    NECurrDispCommand(const NCCommand *ncCommand);
    NECurrDispCommand(const NECurrDispCommand &other) = default;
    NECurrDispCommand &operator=(const NECurrDispCommand &other) = default;
};

#endif // NECURRDISPCOMMAND_H
