#ifndef NEDISPCOMMAND_H
#define NEDISPCOMMAND_H

#include "NECommand.h"

class FW_Dispenser;

//! A command for a dispenser of a driver.
class AXOCOMM_EXPORT NEDispCommand : public NECommand
{
public:
    //! An empty command.
    NEDispCommand();
    //! By name for dispenser {dispID, 1}; throws FW_Exception as NECommand does.
    NEDispCommand(int driverID, int dispID, const QString &name);
    //! The same with one parameter.
    NEDispCommand(int driverID, int dispID, const QString &name, const QVariant &parameter);
    //! The same with its parameters.
    NEDispCommand(int driverID, int dispID, const QString &name, const QList<QVariant> &parameters);
    //! The same with a copy of the machine configuration it works on.
    NEDispCommand(
        int driverID, int dispID, const QString &name, const QList<QVariant> &parameters, const FW_Dispenser *machine);
    //! Adopts a copy of a ready protocol command.
    NEDispCommand(int driverID, int dispID, const ProtoCommand *protoCommand);
    //! A notify-changed query.
    NEDispCommand(int driverID, int dispID, const NCCommand *ncCommand);
    //! A deep copy, as NECommand's.
    NEDispCommand(const NEDispCommand &other) = default;
    //! A deep copy, as NECommand's.
    NEDispCommand &operator=(const NEDispCommand &other) = default;
};

#endif // NEDISPCOMMAND_H
