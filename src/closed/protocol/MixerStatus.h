#ifndef MIXERSTATUS_H
#define MIXERSTATUS_H

#include "MachineStatus.h"

#include <QtCore/QMetaType>

//! The status of a mixer in the driver's list of machines.
class AXOCOMM_EXPORT MixerStatus : public MachineStatus
{
public:
    MixerStatus() : MachineStatus(MachineID(0, MachineID::Mixer)) {}
    //! The status of that machine, all indications unset.
    explicit MixerStatus(const MachineID &id) : MachineStatus(id) {}

    MachineStatus *clone() const override { return new MixerStatus(*this); }
    QString statusName() const override { return QStringLiteral("MixerStatus"); }

    //! A mixing cycle is running.
    bool isMixing() const { return m_mixing; }
    //! Sets isMixing().
    void setMixing(bool mixing) { m_mixing = mixing; }
    //! Number of the mixing program loaded; 0 for none.
    int program() const { return m_program; }
    //! Sets program().
    void setProgram(int program) { m_program = program; }
    //! Current speed in revolutions per minute.
    int speed() const { return m_speed; }
    //! Sets speed().
    void setSpeed(int rpm) { m_speed = rpm; }
    //! Milliseconds left in the running cycle; 0 when idle.
    int timeLeft() const { return m_timeLeft; }
    //! Sets timeLeft().
    void setTimeLeft(int ms) { m_timeLeft = ms; }

    //! The machine status members plus {"mixing": bool, "program": int,
    //! "speed": int, "timeLeft": int}.
    XmlRpc::XmlRpcValue toXmlRpcValue() const override;
    //! The type of "id" must have bit 4; *ok false when malformed.
    static MixerStatus fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

private:
    bool m_mixing = false;
    int m_program = 0;
    int m_speed = 0;
    int m_timeLeft = 0;
};

Q_DECLARE_METATYPE(MixerStatus)

#endif // MIXERSTATUS_H
