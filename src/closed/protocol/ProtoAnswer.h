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
        RC_OK = 0,
        RC_ERROR = 1,
        RC_UNKNOWN_COMMAND = 2,
        RC_REFUSED = 3,
        RC_INVALID_SESSION = 4,
        RC_INVALID_PARAMS = 5,
        RC_NOT_SUPPORTED = 6,
        RC_INTERRUPTED = 7
    };

    virtual ~ProtoAnswer();

    virtual ProtoAnswer *clone() const = 0;
    //! Same class and same content.
    virtual bool equalTo(const ProtoAnswer *other) const = 0;
    //! The complete result: {"rc", "errors", "data"}.
    virtual XmlRpc::XmlRpcValue toXmlRpcValue() const = 0;
    //! The class name, e.g. "LoginAnswer".
    virtual QString answerName() const = 0;

    static QString retCodeName(int rc);

protected:
    ProtoAnswer() = default;
    ProtoAnswer(const ProtoAnswer &) = default;
    ProtoAnswer &operator=(const ProtoAnswer &) = default;
};

#endif // PROTOANSWER_H
