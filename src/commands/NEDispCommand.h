#ifndef NEDISPCOMMAND_H
#define NEDISPCOMMAND_H

#include "NECommand.h"

class FW_Dispenser;

//! A command for a dispenser of a driver.
class AXOCOMM_EXPORT NEDispCommand : public NECommand
{
public:
    NEDispCommand();
    NEDispCommand(int driverID, int dispID, const QString &name);
    NEDispCommand(int driverID, int dispID, const QString &name, const QVariant &parameter);
    NEDispCommand(int driverID, int dispID, const QString &name, const QList<QVariant> &parameters);
    NEDispCommand(
        int driverID, int dispID, const QString &name, const QList<QVariant> &parameters, const FW_Dispenser *machine);
    NEDispCommand(int driverID, int dispID, const ProtoCommand *protoCommand);
    NEDispCommand(int driverID, int dispID, const NCCommand *ncCommand);
    NEDispCommand(const NEDispCommand &other) = default;
    NEDispCommand &operator=(const NEDispCommand &other) = default;
};

#endif // NEDISPCOMMAND_H
