#ifndef PROTOANSWER_H
#define PROTOANSWER_H

#include "AXOCommGlobal.h"
#include "XmlRpcValue.h"

#include <QtCore/QString>

//! A decoded answer of the driver. Every answer can be cloned, compared and
//! written back to the XML-RPC result it was built from.
class AXOCOMM_EXPORT ProtoAnswer
{
public:
    //! The "rc" member of a result.
    enum ProtocolRetCode {
        RC_OK = 0, //!< The command was carried out.
        RC_ERROR = 1, //!< Executed with errors; see the error records.
        RC_UNKNOWN_COMMAND = 2, //!< The driver does not know the command.
        RC_REFUSED = 3, //!< Refused: machine busy, not in service, or access not granted.
        RC_INVALID_SESSION = 4, //!< The session is missing, unknown, not certified or expired.
        RC_INVALID_PARAMS = 5, //!< The parameters are missing or malformed.
        RC_NOT_SUPPORTED = 6, //!< Not for this machine kind or this call method.
        RC_INTERRUPTED = 7 //!< Stopped before the end (e.g. by STOP).
    };

    //! Destroys the answer.
    virtual ~ProtoAnswer();

    //! A copy of this answer, of the same class; owned by the caller.
    virtual ProtoAnswer *clone() const = 0;
    //! Same class and same content.
    virtual bool equalTo(const ProtoAnswer *other) const = 0;
    //! The complete result: {"rc", "errors", "data"}.
    virtual XmlRpc::XmlRpcValue toXmlRpcValue() const = 0;
    //! The class name, e.g. "LoginAnswer".
    virtual QString answerName() const = 0;

    //! The name of a return code, e.g. "RC_OK"; "RC_<n>" for an unknown one.
    static QString retCodeName(int rc);

protected:
    //! Only derived answers are built.
    ProtoAnswer() = default;
    //! Copies the answer; used by clone().
    ProtoAnswer(const ProtoAnswer &) = default;
    //! Assigns the answer.
    ProtoAnswer &operator=(const ProtoAnswer &) = default;
};

#endif // PROTOANSWER_H
