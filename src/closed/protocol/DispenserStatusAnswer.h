#ifndef DISPENSERSTATUSANSWER_H
#define DISPENSERSTATUSANSWER_H

#include "MachineStatusAnswer.h"

//! The dispenser's own part of its driver status: the machine indications
//! plus those of a dispenser.
class AXOCOMM_EXPORT DispenserStatusAnswer : public MachineStatusAnswer
{
public:
    DispenserStatusAnswer() = default;

    MachineStatusAnswer *clone() const override { return new DispenserStatusAnswer(*this); }
    QString answerName() const override { return QStringLiteral("DispenserStatusAnswer"); }

    //! Set while the circuits dose.
    bool isDispensing() const { return m_dispensing; }
    //! Sets isDispensing().
    void setDispensing(bool on) { m_dispensing = on; }
    //! Set by the board once it has dosed a formula to its end, until the
    //! next begins: the trigger by which a client following a formula knows
    //! that every circuit is done.
    bool dispensingTrigger() const { return m_dispensingTrigger != 0; }
    //! Sets dispensingTrigger().
    void setDispensingTrigger(bool on) { m_dispensingTrigger = on ? 1 : 0; }
    //! The ultrasonic nozzle cleaner has a water-change state to be read
    //! ("GET_USS_W_STATUS").
    bool ussCleaning() const { return m_ussCleaning; }
    //! Sets ussCleaning().
    void setUssCleaning(bool on) { m_ussCleaning = on; }
    //! The nozzle valve is open.
    bool valveOn() const { return m_valveOn; }
    //! Sets valveOn().
    void setValveOn(bool on) { m_valveOn = on; }
    //! A can stands under the nozzle.
    bool canPresent() const { return m_canPresent; }
    //! Sets canPresent().
    void setCanPresent(bool present) { m_canPresent = present; }

    //! The machine members plus {"dispensing": bool, "ussCleaning": bool,
    //! "valveOn": bool, "canPresent": bool}.
    XmlRpc::XmlRpcValue toXmlRpcValue() const override;
    bool fromXmlRpcValue(const XmlRpc::XmlRpcValue &value) override;

private:
    bool m_dispensing = false;
    quint8 m_dispensingTrigger = 0;
    bool m_ussCleaning = false;
    bool m_valveOn = false;
    bool m_canPresent = false;
};

#endif // DISPENSERSTATUSANSWER_H
