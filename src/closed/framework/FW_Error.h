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
    enum ErrorType {
        GenericError = 0,
        DriverError = 1,   //!< raised by this library or reported by a driver
        HwError = 2,       //!< a machine's hardware reported it
        CmdRefusedError = 3, //!< the driver refused a command
        ConfError = 4      //!< a configuration is not usable
    };

    FW_Error();
    FW_Error(ErrorType type, const QString &message, const QString &code);
    virtual ~FW_Error();

    ErrorType errorType() const { return m_type; }
    QString errorCode() const { return m_code; }
    QString errorMsg() const { return m_message; }
    //! A record with a code.
    bool isValid() const { return !m_code.isEmpty(); }
    //! "CODE - message", the form used in log lines.
    QString errorText() const;
    //! The type bits of the machine the record was stored for (0: none);
    //! set by the data store, not compared and not sent.
    int machineType() const { return m_machineType; }
    void setMachineType(int machineType) { m_machineType = machineType; }

    bool operator==(const FW_Error &other) const;
    bool operator!=(const FW_Error &other) const { return !(*this == other); }

    //! {"code": text, "msg": text, "type": int}
    XmlRpc::XmlRpcValue toXmlRpcValue() const;
    static FW_Error fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

    static QString typeName(ErrorType type);

protected:
    ErrorType m_type;
    QString m_message;
    QString m_code;
    int m_machineType = 0;
};

Q_DECLARE_METATYPE(FW_Error)

#endif // FW_ERROR_H
