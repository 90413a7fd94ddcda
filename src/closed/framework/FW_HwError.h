#ifndef FW_HWERROR_H
#define FW_HWERROR_H

#include "FW_Error.h"

//! An error record reported by a machine's hardware; message first, code second.
class AXOCOMM_EXPORT FW_HwError : public FW_Error
{
public:
    FW_HwError() : FW_Error(HwError, QString(), QString()) {}
    //! A hardware error with its message and code.
    FW_HwError(const QString &message, const QString &code) : FW_Error(HwError, message, code) {}
};

#endif // FW_HWERROR_H
