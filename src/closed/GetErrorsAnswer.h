#ifndef GETERRORSANSWER_H
#define GETERRORSANSWER_H

#include "XmlRpcAnswer.h"

//! The answer to "GET_ERRORS": the errors the machine has now ({"errors":
//! [error struct]}). They are the answer's content, apart from the errors
//! of the call itself (XmlRpcAnswer::errors()).
class AXOCOMM_EXPORT GetErrorsAnswer : public XmlRpcAnswer
{
public:
    GetErrorsAnswer() = default;
    explicit GetErrorsAnswer(const FW_ErrorList &machineErrors) : m_machineErrors(machineErrors) {}
    explicit GetErrorsAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    //! The machine's current errors.
    FW_ErrorList errorList() const { return m_machineErrors; }

    ProtoAnswer *clone() const override { return new GetErrorsAnswer(*this); }
    QString answerName() const override { return QStringLiteral("GetErrorsAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

private:
    FW_ErrorList m_machineErrors;
};

#endif // GETERRORSANSWER_H
