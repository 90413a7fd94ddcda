#ifndef CERTIFYSESSIONANSWER_H
#define CERTIFYSESSIONANSWER_H

#include "ProtoAnswerT.h"

//! The answer to "CERTIFY_SESSION" ({"certified": bool}).
class AXOCOMM_EXPORT CertifySessionAnswer : public ValueAnswerT<CertifySessionAnswer, bool>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "certified";

    using ValueAnswerT::ValueAnswerT;

    //! Whether the driver certified the session.
    bool certified() const { return value(); }

    QString answerName() const override { return QStringLiteral("CertifySessionAnswer"); }
};

#endif // CERTIFYSESSIONANSWER_H
