#ifndef MACHINEDRIVERSTATUSANSWER_H
#define MACHINEDRIVERSTATUSANSWER_H

#include "MachineID.h"
#include "MachineStatusAnswer.h"
#include "ProtoAnswerT.h"

#include <memory>

//! The driver's status of one machine: whether the machine is active, which
//! commands the driver takes for it now, and, when the machine's board
//! answered, the machine's own status part. DispenserDriverStatusAnswer and
//! MixerDriverStatusAnswer are the answers of "GET_DISP_STATUS" and
//! "GET_MIXER_STATUS" and carry the status part of their kind.
class AXOCOMM_EXPORT MachineDriverStatusAnswer : public ProtoAnswerT<MachineDriverStatusAnswer>
{
public:
    //! An answer for machine {0, 0}, inactive, without status part.
    MachineDriverStatusAnswer();
    //! The answer of a driver's result.
    explicit MachineDriverStatusAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }
    //! A deep copy (the status part too).
    MachineDriverStatusAnswer(const MachineDriverStatusAnswer &other);
    //! A deep copy (the status part too).
    MachineDriverStatusAnswer &operator=(const MachineDriverStatusAnswer &other);
    //! Frees the status part.
    ~MachineDriverStatusAnswer() override;

    //! The machine the status is of.
    MachineID machineID() const { return m_machineID; }
    //! Sets the machine.
    void setMachineID(const MachineID &id) { m_machineID = id; }

    //! The machine is active (connected and in service).
    bool isActiveMachine() const { return m_active; }
    //! A client marks the stored status of a machine that went inactive;
    //! an inactive machine accepts no command.
    void setActiveMachine(bool active) { m_active = active; }

    //! The machine is active and the driver takes commands for it.
    bool acceptCommands() const { return m_active && m_acceptCommands; }
    //! Sets that flag.
    void setAcceptCommands(bool accept) { m_acceptCommands = accept; }
    //! The machine is active and takes long process commands (dispensing, cleaning, ...).
    bool acceptProcessCommands() const { return m_active && m_acceptProcessCommands; }
    //! Sets that flag.
    void setAcceptProcessCommands(bool accept) { m_acceptProcessCommands = accept; }
    //! The machine is active and ready for dispensing requests from the
    //! shop's point-of-sale software.
    bool readyForPOScommands() const { return m_active && m_readyForPOS; }
    //! Sets that flag.
    void setReadyForPOScommands(bool ready) { m_readyForPOS = ready; }

    //! Whether the machine's own status part is there.
    bool hasMachineStatusAnswer() const { return m_status != nullptr; }
    //! The machine's status part, owned by this answer; null when none.
    const MachineStatusAnswer *machineStatusAnswer() const { return m_status.get(); }
    //! Stores a clone of the status part (null removes it); false, and
    //! nothing changed, for a status part of another kind than this answer's.
    bool setMachineStatusAnswer(const MachineStatusAnswer *status);

    //! Same class and content.
    bool operator==(const MachineDriverStatusAnswer &other) const { return equalTo(&other); }
    //! Not operator==().
    bool operator!=(const MachineDriverStatusAnswer &other) const { return !equalTo(&other); }

    //! "MachineDriverStatusAnswer".
    QString answerName() const override { return QStringLiteral("MachineDriverStatusAnswer"); }

protected:
    //! {"machine": MachineID struct, "active": bool, "acceptCommands": bool,
    //!  "acceptProcessCommands": bool, "readyForPOS": bool,
    //!  "status": status part struct (only when the machine answered)}
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    //! Writes the data struct above.
    XmlRpc::XmlRpcValue encodeData() const override;
    //! A successful answer carries the data.
    bool requiresData() const override { return true; }

    //! A new, empty status part of this answer's kind.
    virtual MachineStatusAnswer *newStatusAnswer() const { return new MachineStatusAnswer(); }
    //! Whether a status part is of this answer's kind.
    virtual bool isStatusAnswerOfKind(const MachineStatusAnswer &status) const;

private:
    MachineID m_machineID;
    bool m_active = false;
    bool m_acceptCommands = false;
    bool m_acceptProcessCommands = false;
    bool m_readyForPOS = false;
    std::unique_ptr<MachineStatusAnswer> m_status;
};

//! A driver status whose status part is of class Part, for machines of type
//! MachineType: it makes and accepts only parts of that class, and a default
//! one names machine 0 of that type. Derived is the answer class itself.
template<class Derived, class Part, int MachineType>
class MachineDriverStatusAnswerT : public ProtoAnswerT<Derived, MachineDriverStatusAnswer>
{
public:
    //! A status of machine 0 of MachineType.
    MachineDriverStatusAnswerT() { this->setMachineID(MachineID(0, MachineType)); }
    //! The answer of a driver's result; check isValid().
    explicit MachineDriverStatusAnswerT(const XmlRpc::XmlRpcValue &result) { this->fromXmlRpcValue(result); }

protected:
    //! The status part as its class; null when none.
    const Part *statusPart() const { return static_cast<const Part *>(this->machineStatusAnswer()); }

    //! A new, empty Part.
    MachineStatusAnswer *newStatusAnswer() const override { return new Part(); }
    //! Whether the part is a Part.
    bool isStatusAnswerOfKind(const MachineStatusAnswer &status) const override
    {
        return dynamic_cast<const Part *>(&status) != nullptr;
    }
};

#endif // MACHINEDRIVERSTATUSANSWER_H
