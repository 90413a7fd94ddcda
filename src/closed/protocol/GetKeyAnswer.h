#ifndef GETKEYANSWER_H
#define GETKEYANSWER_H

#include "ProtoAnswerT.h"

//! The answer to "GET_KEY": the driver key ({"key": string}).
class AXOCOMM_EXPORT GetKeyAnswer : public ValueAnswerT<GetKeyAnswer, QString>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "key";

    using ValueAnswerT::ValueAnswerT;

    //! The driver key: its nonce and proof.
    QString driverKey() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetKeyAnswer"); }
};

#endif // GETKEYANSWER_H
