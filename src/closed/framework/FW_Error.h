#ifndef FW_ERROR_H
#define FW_ERROR_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

//! An error record: a code of the form "TE" and five digits, a message and
//! the kind of error. The kinds are subclasses that only fix the kind, so
//! records can be held and copied by value.
class AXOCOMM_EXPORT FW_Error
{
public:
    //! The kind of a record; each subclass fixes one.
    enum ErrorType {
        GenericError = 0,  //!< no particular kind
        DriverError = 1,   //!< raised by this library or reported by a driver
        HwError = 2,       //!< a machine's hardware reported it
        CmdRefusedError = 3, //!< the driver refused a command
        ConfError = 4      //!< a configuration is not usable
    };

    //! An invalid record: generic, without code or message.
    FW_Error();
    //! A record of that kind; note the message comes before the code.
    FW_Error(ErrorType type, const QString &message, const QString &code);
    virtual ~FW_Error();

    //! The kind of error.
    ErrorType errorType() const { return m_type; }
    //! "TE" and five digits; empty in an invalid record.
    QString errorCode() const { return m_code; }
    //! The message, in English.
    QString errorMsg() const { return m_message; }
    //! A record with a code.
    bool isValid() const { return !m_code.isEmpty(); }
    //! "CODE - message", the form used in log lines.
    QString errorText() const;
    //! The type bits of the machine the record was stored for (0: none);
    //! set by the data store, not compared and not sent.
    int machineType() const { return m_machineType; }
    //! Sets the machine type bits (the data store does).
    void setMachineType(int machineType) { m_machineType = machineType; }

    //! Same kind, code and message (the machine type is not compared).
    bool operator==(const FW_Error &other) const;
    //! Not operator==().
    bool operator!=(const FW_Error &other) const { return !(*this == other); }

    //! {"code": text, "msg": text, "type": int}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! The record of such a struct; *ok false (and an invalid record) when it is not one.
    static FW_Error fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

    //! "Driver error", "Hardware error", "Command refused", ...
    static QString typeName(ErrorType type);

protected:
    ErrorType m_type;       //!< the kind
    QString m_message;      //!< the message
    QString m_code;         //!< "TEnnnnn"
    int m_machineType = 0;  //!< the machine type bits the store recorded it for
};

Q_DECLARE_METATYPE(FW_Error)

#endif // FW_ERROR_H
