#ifndef FW_CMDREFUSEDERROR_H
#define FW_CMDREFUSEDERROR_H

#include "FW_Error.h"

//! An error record the driver refused a command; message first, code second.
class AXOCOMM_EXPORT FW_CmdRefusedError : public FW_Error
{
public:
    //! An invalid record of this kind.
    FW_CmdRefusedError() : FW_Error(CmdRefusedError, QString(), QString()) {}
    //! A record with that message and code.
    FW_CmdRefusedError(const QString &message, const QString &code) : FW_Error(CmdRefusedError, message, code) {}
};

#endif // FW_CMDREFUSEDERROR_H
