#ifndef NEMIXERCOMMAND_H
#define NEMIXERCOMMAND_H

#include "NECommand.h"

class FW_Mixer;

//! A command for a mixer of a driver.
class AXOCOMM_EXPORT NEMixerCommand : public NECommand
{
public:
    NEMixerCommand();
    NEMixerCommand(int driverID, int mixerID, const QString &name);
    NEMixerCommand(int driverID, int mixerID, const QString &name, const QVariant &parameter);
    NEMixerCommand(int driverID, int mixerID, const QString &name, const QList<QVariant> &parameters);
    NEMixerCommand(
        int driverID, int mixerID, const QString &name, const QList<QVariant> &parameters, const FW_Mixer *machine);
    NEMixerCommand(int driverID, int mixerID, const ProtoCommand *protoCommand);
    NEMixerCommand(int driverID, int mixerID, const NCCommand *ncCommand);
    NEMixerCommand(const NEMixerCommand &other) = default;
    NEMixerCommand &operator=(const NEMixerCommand &other) = default;
};

#endif // NEMIXERCOMMAND_H
