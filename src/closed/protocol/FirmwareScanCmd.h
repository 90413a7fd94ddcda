#ifndef FIRMWARESCANCMD_H
#define FIRMWARESCANCMD_H

#include "ProtoCommand.h"

//! "FW_SCAN": reads the programs of every slave board on the machine's bus
//! (no parameters); FirmwareScanAnswer lists them.
class AXOCOMM_EXPORT FirmwareScanCmd : public ProtoCommand
{
public:
    FirmwareScanCmd() : ProtoCommand(QStringLiteral("FW_SCAN")) {}
    ProtoCommand *clone() const override { return new FirmwareScanCmd(*this); }
};

#endif // FIRMWARESCANCMD_H
