#ifndef GETERRORSANSWER_H
#define GETERRORSANSWER_H

#include "ProtoAnswerT.h"

//! The answer to "GET_ERRORS": the errors the machine has now ({"errors":
//! [error struct]}). They are the answer's content, apart from the errors
//! of the call itself (XmlRpcAnswer::errors()).
class AXOCOMM_EXPORT GetErrorsAnswer : public ValueAnswerT<GetErrorsAnswer, FW_ErrorList>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "errors";

    using ValueAnswerT::ValueAnswerT;

    //! The machine's current errors.
    FW_ErrorList errorList() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetErrorsAnswer"); }
};

#endif // GETERRORSANSWER_H
