#ifndef GRAVTRAINSTATUSANSWER_H
#define GRAVTRAINSTATUSANSWER_H

#include "ProtoAnswerT.h"

//! The answer to "GRAV_TRAINING_STATUS": the training state as a text
//! ({"status": string}, e.g. "trained", "not trained", "training 40%").
class AXOCOMM_EXPORT GravTrainStatusAnswer : public ValueAnswerT<GravTrainStatusAnswer, QString>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "status";

    using ValueAnswerT::ValueAnswerT;

    //! The training state text.
    QString Status() const { return value(); }

    QString answerName() const override { return QStringLiteral("GravTrainStatusAnswer"); }
};

#endif // GRAVTRAINSTATUSANSWER_H
