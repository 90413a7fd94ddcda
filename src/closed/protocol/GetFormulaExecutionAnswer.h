#ifndef GETFORMULAEXECUTIONANSWER_H
#define GETFORMULAEXECUTIONANSWER_H

#include "FormulaProgress.h"
#include "ProtoAnswerT.h"

//! The answer to "GET_FORMULA_EXECUTION": how the dispenser would execute
//! the formula, channel by channel, with a time estimate per ingredient
//! (the data is the FormulaProgress struct).
class AXOCOMM_EXPORT GetFormulaExecutionAnswer : public ValueAnswerT<GetFormulaExecutionAnswer, FormulaProgress>
{
public:
    //! Null: the data is the value itself.
    static constexpr const char *dataMember = nullptr;

    using ValueAnswerT::ValueAnswerT;

    //! The execution plan with its time estimates.
    FormulaProgress formulaProgress() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetFormulaExecutionAnswer"); }
};

#endif // GETFORMULAEXECUTIONANSWER_H
