#ifndef NEMIXERCOMMAND_H
#define NEMIXERCOMMAND_H

#include "NECommand.h"

class FW_Mixer;

//! A command for a mixer of a driver.
class AXOCOMM_EXPORT NEMixerCommand : public NECommand
{
public:
    //! An empty command.
    NEMixerCommand();
    //! By name for mixer {mixerID, 4}; throws FW_Exception as NECommand does.
    NEMixerCommand(int driverID, int mixerID, const QString &name);
    //! The same with one parameter.
    NEMixerCommand(int driverID, int mixerID, const QString &name, const QVariant &parameter);
    //! The same with its parameters.
    NEMixerCommand(int driverID, int mixerID, const QString &name, const QList<QVariant> &parameters);
    //! The same with a copy of the machine configuration it works on.
    NEMixerCommand(
        int driverID, int mixerID, const QString &name, const QList<QVariant> &parameters, const FW_Mixer *machine);
    //! Adopts a copy of a ready protocol command.
    NEMixerCommand(int driverID, int mixerID, const ProtoCommand *protoCommand);
    //! A notify-changed query.
    NEMixerCommand(int driverID, int mixerID, const NCCommand *ncCommand);
    //! A deep copy, as NECommand's.
    NEMixerCommand(const NEMixerCommand &other) = default;
    //! A deep copy, as NECommand's.
    NEMixerCommand &operator=(const NEMixerCommand &other) = default;
};

#endif // NEMIXERCOMMAND_H
