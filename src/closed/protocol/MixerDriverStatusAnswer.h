#ifndef MIXERDRIVERSTATUSANSWER_H
#define MIXERDRIVERSTATUSANSWER_H

#include "MachineDriverStatusAnswer.h"
#include "MixerStatusAnswer.h"

//! The answer to "GET_MIXER_STATUS": the driver's status of a mixer, with a
//! MixerStatusAnswer as the machine's status part.
class AXOCOMM_EXPORT MixerDriverStatusAnswer
    : public MachineDriverStatusAnswerT<MixerDriverStatusAnswer, MixerStatusAnswer, MachineID::Mixer>
{
public:
    //! The constructors of MachineDriverStatusAnswerT.
    using MachineDriverStatusAnswerT::MachineDriverStatusAnswerT;

    //! The mixer's status part; null when none.
    const MixerStatusAnswer *mixerStatusAnswer() const { return statusPart(); }

    QString answerName() const override { return QStringLiteral("MixerDriverStatusAnswer"); }
};

#endif // MIXERDRIVERSTATUSANSWER_H
