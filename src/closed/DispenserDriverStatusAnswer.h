#ifndef DISPENSERDRIVERSTATUSANSWER_H
#define DISPENSERDRIVERSTATUSANSWER_H

#include "DispenserStatusAnswer.h"
#include "MachineDriverStatusAnswer.h"

//! The answer to "GET_DISP_STATUS": the driver's status of a dispenser, with
//! a DispenserStatusAnswer as the machine's status part.
class AXOCOMM_EXPORT DispenserDriverStatusAnswer : public MachineDriverStatusAnswer
{
public:
    DispenserDriverStatusAnswer() { setMachineID(MachineID(0, MachineID::Dispenser)); }
    explicit DispenserDriverStatusAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    //! The dispenser's status part; null when none.
    const DispenserStatusAnswer *dispenserStatusAnswer() const
    {
        return static_cast<const DispenserStatusAnswer *>(machineStatusAnswer());
    }

    ProtoAnswer *clone() const override { return new DispenserDriverStatusAnswer(*this); }
    QString answerName() const override { return QStringLiteral("DispenserDriverStatusAnswer"); }

protected:
    MachineStatusAnswer *newStatusAnswer() const override;
    bool isStatusAnswerOfKind(const MachineStatusAnswer &status) const override;
};

#endif // DISPENSERDRIVERSTATUSANSWER_H
