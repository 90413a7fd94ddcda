#ifndef GETCONFIGANSWER_H
#define GETCONFIGANSWER_H

#include "FW_Configuration.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_CONFIG": the driver's machine configuration of the
//! kind the command asked for, working (0) or factory (1). The data is the
//! configuration's own struct ({"machines": [machine struct]}).
class AXOCOMM_EXPORT GetConfigAnswer : public ValueAnswerT<GetConfigAnswer, FW_Configuration>
{
public:
    //! Null: the data is the value itself.
    static constexpr const char *dataMember = nullptr;

    using ValueAnswerT::ValueAnswerT;

    //! The machine configuration.
    FW_Configuration configuration() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetConfigAnswer"); }
};

#endif // GETCONFIGANSWER_H
