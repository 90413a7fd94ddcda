#ifndef CLEARERRORSANSWER_H
#define CLEARERRORSANSWER_H

#include "ProtoAnswerT.h"

//! The answer to "CLEAR_ERRORS": how many of the machine's errors the driver
//! cleared ({"cleared": int}, 0 or more).
class AXOCOMM_EXPORT ClearErrorsAnswer : public ValueAnswerT<ClearErrorsAnswer, int>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "cleared";
    //! Only counts of 0 or more.
    static bool acceptsValue(int cleared) { return cleared >= 0; }

    using ValueAnswerT::ValueAnswerT;

    //! How many errors were cleared.
    int clearedCount() const { return value(); }

    QString answerName() const override { return QStringLiteral("ClearErrorsAnswer"); }
};

#endif // CLEARERRORSANSWER_H
