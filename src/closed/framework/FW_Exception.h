#ifndef FW_EXCEPTION_H
#define FW_EXCEPTION_H

#include "AXOCommGlobal.h"
#include "FW_DriverError.h"

#include <QtCore/QString>

#include <exception>
#include <string>

//! Thrown when an object cannot be built (a command the catalogue does not
//! know, a refused parameter): the error record and where it happened.
class AXOCOMM_EXPORT FW_Exception : public std::exception
{
public:
    //! Note the code comes first here, unlike the error records.
    FW_Exception(const QString &code, const QString &message, const QString &place);
    ~FW_Exception() override;

    //! The error as a driver error record.
    FW_DriverError error() const { return FW_DriverError(m_message, m_code); }
    //! "TE" and five digits.
    QString errorCode() const { return m_code; }
    //! The message.
    QString errorMsg() const { return m_message; }
    //! Where it was thrown (a class or function name).
    QString place() const { return m_place; }
    //! "CODE - message (place)".
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    QString m_code;
    QString m_message;
    QString m_place;
    std::string m_what;
};

#endif // FW_EXCEPTION_H
