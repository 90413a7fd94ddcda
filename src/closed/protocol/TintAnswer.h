#ifndef TINTANSWER_H
#define TINTANSWER_H

#include "FormulaChannel.h"
#include "ProtoAnswerT.h"

//! The answer to "TINT": the formula's channels as the dispenser dosed them,
//! with each ingredient's final state ({"dispensed": [FormulaChannel struct]}).
class AXOCOMM_EXPORT TintAnswer : public ValueAnswerT<TintAnswer, QList<FormulaChannel>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "dispensed";

    using ValueAnswerT::ValueAnswerT;

    //! The channels as dispensed.
    QList<FormulaChannel> dispensedChannels() const { return value(); }
    //! Every ingredient, channel after channel.
    QList<ChannelIngredient> dispensedIngredients() const;

    QString answerName() const override { return QStringLiteral("TintAnswer"); }
};

#endif // TINTANSWER_H
