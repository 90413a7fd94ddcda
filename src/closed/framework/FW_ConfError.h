#ifndef FW_CONFERROR_H
#define FW_CONFERROR_H

#include "FW_Error.h"

//! An error record a configuration that cannot be used; message first, code second.
class AXOCOMM_EXPORT FW_ConfError : public FW_Error
{
public:
    FW_ConfError() : FW_Error(ConfError, QString(), QString()) {}
    //! A configuration error with its message and code.
    FW_ConfError(const QString &message, const QString &code) : FW_Error(ConfError, message, code) {}
};

#endif // FW_CONFERROR_H
