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
    static bool acceptsValue(const MachineID &id) { return id.machineNumber > 0 && id.machineType != 0; }

    using ValueAnswerT::ValueAnswerT;

    MachineID machineID() const { return value(); }

    QString answerName() const override { return QStringLiteral("CloneMachineAnswer"); }
};

#endif // CLONEMACHINEANSWER_H
