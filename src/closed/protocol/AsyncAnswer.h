#ifndef ASYNCANSWER_H
#define ASYNCANSWER_H

#include "ProtoAnswerT.h"

//! The answer to an asynchronous call: the ticket by which the command's
//! status is followed ({"ticket": int}, above 0).
class AXOCOMM_EXPORT AsyncAnswer : public ValueAnswerT<AsyncAnswer, int>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "ticket";
    //! Only tickets above 0.
    static bool acceptsValue(int ticket) { return ticket > 0; }

    using ValueAnswerT::ValueAnswerT;

    //! The ticket that follows the command.
    int ticketID() const { return value(); }

    QString answerName() const override { return QStringLiteral("AsyncAnswer"); }
};

#endif // ASYNCANSWER_H
