#ifndef NECURRMIXERCOMMAND_H
#define NECURRMIXERCOMMAND_H

#include "NECommand.h"

class FW_Mixer;

//! A command for the current mixer of the current driver, read when the command is built.
class AXOCOMM_EXPORT NECurrMixerCommand : public NECommand
{
public:
    //! An empty command.
    NECurrMixerCommand();
    //! By name for the current mixer of the current driver; throws FW_Exception as NECommand does.
    NECurrMixerCommand(const QString &name);
    //! The same with one parameter.
    NECurrMixerCommand(const QString &name, const QVariant &parameter);
    //! The same with its parameters.
    NECurrMixerCommand(const QString &name, const QList<QVariant> &parameters);
    //! The same with a copy of the machine configuration it works on.
    NECurrMixerCommand(const QString &name, const QList<QVariant> &parameters, const FW_Mixer *machine);
    //! Adopts a copy of a ready protocol command.
    NECurrMixerCommand(const ProtoCommand *protoCommand);
    //! A notify-changed query.
    NECurrMixerCommand(const NCCommand *ncCommand);
    //! A deep copy, as NECommand's.
    NECurrMixerCommand(const NECurrMixerCommand &other) = default;
    //! A deep copy, as NECommand's.
    NECurrMixerCommand &operator=(const NECurrMixerCommand &other) = default;
};

#endif // NECURRMIXERCOMMAND_H
