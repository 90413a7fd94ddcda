#ifndef GETCOMMANDSTATUSANSWER_H
#define GETCOMMANDSTATUSANSWER_H

#include "CmdStatus.h"
#include "ProtoAnswerT.h"

//! The answer to a status query by ticket (the data is the status struct).
class AXOCOMM_EXPORT GetCommandStatusAnswer : public ValueAnswerT<GetCommandStatusAnswer, CmdStatus>
{
public:
    //! Null: the data is the value itself.
    static constexpr const char *dataMember = nullptr;

    using ValueAnswerT::ValueAnswerT;

    //! The status of the ticket's command.
    CmdStatus cmdStatus() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetCommandStatusAnswer"); }
};

#endif // GETCOMMANDSTATUSANSWER_H
