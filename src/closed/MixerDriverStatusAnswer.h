#ifndef MIXERDRIVERSTATUSANSWER_H
#define MIXERDRIVERSTATUSANSWER_H

#include "MachineDriverStatusAnswer.h"
#include "MixerStatusAnswer.h"

//! The answer to "GET_MIXER_STATUS": the driver's status of a mixer, with a
//! MixerStatusAnswer as the machine's status part.
class AXOCOMM_EXPORT MixerDriverStatusAnswer : public MachineDriverStatusAnswer
{
public:
    MixerDriverStatusAnswer() { setMachineID(MachineID(0, MachineID::Mixer)); }
    explicit MixerDriverStatusAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }

    //! The mixer's status part; null when none.
    const MixerStatusAnswer *mixerStatusAnswer() const
    {
        return static_cast<const MixerStatusAnswer *>(machineStatusAnswer());
    }

    ProtoAnswer *clone() const override { return new MixerDriverStatusAnswer(*this); }
    QString answerName() const override { return QStringLiteral("MixerDriverStatusAnswer"); }

protected:
    MachineStatusAnswer *newStatusAnswer() const override;
    bool isStatusAnswerOfKind(const MachineStatusAnswer &status) const override;
};

#endif // MIXERDRIVERSTATUSANSWER_H
