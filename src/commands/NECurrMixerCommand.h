#ifndef NECURRMIXERCOMMAND_H
#define NECURRMIXERCOMMAND_H

#include "NECommand.h"

class FW_Mixer;

//! A command for the current mixer of the current driver, read when the command is built.
class AXOCOMM_EXPORT NECurrMixerCommand : public NECommand
{
public:
    NECurrMixerCommand();
    NECurrMixerCommand(const QString &name);
    NECurrMixerCommand(const QString &name, const QVariant &parameter);
    NECurrMixerCommand(const QString &name, const QList<QVariant> &parameters);
    NECurrMixerCommand(const QString &name, const QList<QVariant> &parameters, const FW_Mixer *machine);
    NECurrMixerCommand(const ProtoCommand *protoCommand);
    NECurrMixerCommand(const NCCommand *ncCommand);
    NECurrMixerCommand(const NECurrMixerCommand &other) = default;
    NECurrMixerCommand &operator=(const NECurrMixerCommand &other) = default;
};

#endif // NECURRMIXERCOMMAND_H
