#ifndef LOGINANSWER_H
#define LOGINANSWER_H

#include "ProtoAnswerT.h"

//! The answer to "LOGIN": the new session ID ({"session": string}).
class AXOCOMM_EXPORT LoginAnswer : public ValueAnswerT<LoginAnswer, QString>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "session";

    using ValueAnswerT::ValueAnswerT;

    //! The new session ID.
    QString sessionID() const { return value(); }

    QString answerName() const override { return QStringLiteral("LoginAnswer"); }
};

#endif // LOGINANSWER_H
