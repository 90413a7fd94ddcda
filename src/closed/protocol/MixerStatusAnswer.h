#ifndef MIXERSTATUSANSWER_H
#define MIXERSTATUSANSWER_H

#include "MachineStatusAnswer.h"

//! The mixer's own part of its driver status: the machine indications plus
//! those of a mixer.
class AXOCOMM_EXPORT MixerStatusAnswer : public MachineStatusAnswer
{
public:
    MixerStatusAnswer() = default;

    MachineStatusAnswer *clone() const override { return new MixerStatusAnswer(*this); }
    QString answerName() const override { return QStringLiteral("MixerStatusAnswer"); }

    //! A mixing cycle is running.
    bool isMixing() const { return m_mixing; }
    //! Sets isMixing().
    void setMixing(bool mixing) { m_mixing = mixing; }
    //! The door is open (a cycle cannot start).
    bool isDoorOpen() const { return m_doorOpen; }
    //! Sets isDoorOpen().
    void setDoorOpen(bool open) { m_doorOpen = open; }
    //! Number of the running or loaded program; 0 for none.
    int program() const { return m_program; }
    //! Sets program().
    void setProgram(int program) { m_program = program; }
    //! Milliseconds left in the running cycle; 0 when idle.
    int timeLeft() const { return m_timeLeft; }
    //! Sets timeLeft().
    void setTimeLeft(int ms) { m_timeLeft = ms; }

    //! The machine members plus {"mixing": bool, "doorOpen": bool,
    //! "program": int, "timeLeft": int}.
    XmlRpc::XmlRpcValue toXmlRpcValue() const override;
    bool fromXmlRpcValue(const XmlRpc::XmlRpcValue &value) override;

private:
    bool m_mixing = false;
    bool m_doorOpen = false;
    int m_program = 0;
    int m_timeLeft = 0;
};

#endif // MIXERSTATUSANSWER_H
