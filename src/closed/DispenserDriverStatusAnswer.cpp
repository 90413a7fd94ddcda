#include "DispenserDriverStatusAnswer.h"

MachineStatusAnswer *DispenserDriverStatusAnswer::newStatusAnswer() const
{
    return new DispenserStatusAnswer();
}

bool DispenserDriverStatusAnswer::isStatusAnswerOfKind(const MachineStatusAnswer &status) const
{
    return dynamic_cast<const DispenserStatusAnswer *>(&status) != nullptr;
}
