#ifndef DISPENSERDRIVERSTATUSANSWER_H
#define DISPENSERDRIVERSTATUSANSWER_H

#include "DispenserStatusAnswer.h"
#include "MachineDriverStatusAnswer.h"

//! The answer to "GET_DISP_STATUS": the driver's status of a dispenser, with
//! a DispenserStatusAnswer as the machine's status part.
class AXOCOMM_EXPORT DispenserDriverStatusAnswer
    : public MachineDriverStatusAnswerT<DispenserDriverStatusAnswer, DispenserStatusAnswer, MachineID::Dispenser>
{
public:
    //! The constructors of MachineDriverStatusAnswerT.
    using MachineDriverStatusAnswerT::MachineDriverStatusAnswerT;

    //! The dispenser's status part; null when none.
    const DispenserStatusAnswer *dispenserStatusAnswer() const { return statusPart(); }

    QString answerName() const override { return QStringLiteral("DispenserDriverStatusAnswer"); }
};

#endif // DISPENSERDRIVERSTATUSANSWER_H
