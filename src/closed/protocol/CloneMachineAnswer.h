#ifndef CLONEMACHINEANSWER_H
#define CLONEMACHINEANSWER_H

#include "MachineID.h"
#include "ProtoAnswerT.h"

//! The answer to "CLONE_MACHINE": the machine the driver created
//! ({"machine": MachineID struct}), of a number above 0.
class AXOCOMM_EXPORT CloneMachineAnswer : public ValueAnswerT<CloneMachineAnswer, MachineID>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "machine";
    //! Only a machine of a type and a number above 0.
    static bool acceptsValue(const MachineID &id) { return id.machineNumber > 0 && id.machineType != 0; }

    using ValueAnswerT::ValueAnswerT;

    //! The new machine.
    MachineID machineID() const { return value(); }

    QString answerName() const override { return QStringLiteral("CloneMachineAnswer"); }
};

#endif // CLONEMACHINEANSWER_H
