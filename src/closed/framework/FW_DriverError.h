#ifndef FW_DRIVERERROR_H
#define FW_DRIVERERROR_H

#include "FW_Error.h"

//! An error record raised by this library or reported by a driver; message first, code second.
class AXOCOMM_EXPORT FW_DriverError : public FW_Error
{
public:
    //! An invalid record of this kind.
    FW_DriverError() : FW_Error(DriverError, QString(), QString()) {}
    //! A record with that message and code.
    FW_DriverError(const QString &message, const QString &code) : FW_Error(DriverError, message, code) {}
};

#endif // FW_DRIVERERROR_H
