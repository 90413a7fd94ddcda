#ifndef GETDISPENSEDFORMULAANSWER_H
#define GETDISPENSEDFORMULAANSWER_H

#include "Formula.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_DISPENSED_FORMULA": what is left of the last formula
//! the dispenser did not dispense to its end, as a formula of the remaining
//! amounts ({"formula": Formula struct}; a formula without channels when
//! there is none).
class AXOCOMM_EXPORT GetDispensedFormulaAnswer : public ValueAnswerT<GetDispensedFormulaAnswer, Formula>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "formula";

    using ValueAnswerT::ValueAnswerT;

    //! The remaining amounts; no channels when there is none.
    Formula formula() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetDispensedFormulaAnswer"); }
};

#endif // GETDISPENSEDFORMULAANSWER_H
