#include "MixerDriverStatusAnswer.h"

MachineStatusAnswer *MixerDriverStatusAnswer::newStatusAnswer() const
{
    return new MixerStatusAnswer();
}

bool MixerDriverStatusAnswer::isStatusAnswerOfKind(const MachineStatusAnswer &status) const
{
    return dynamic_cast<const MixerStatusAnswer *>(&status) != nullptr;
}
