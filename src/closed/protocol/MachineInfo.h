#ifndef MACHINEINFO_H
#define MACHINEINFO_H

#include "AXOCommGlobal.h"
#include "FW_Program.h"
#include "MachineModel.h"
#include "XmlRpcValue.h"

#include <QtCore/QString>

class FW_Machine;

//! What a driver reads from a machine's own electronics and reports with
//! the machine's status: its serial number, its model, the program of its
//! main board and the revision of its hardware. DispenserInfo adds what a
//! dispenser reports of its equipment. Copies of the right kind are made
//! with clone().
class AXOCOMM_EXPORT MachineInfo
{
public:
    MachineInfo() = default;
    virtual ~MachineInfo();

    //! A copy of the same class; owned by the caller.
    virtual MachineInfo *clone() const { return new MachineInfo(*this); }
    //! Same class and same content.
    bool equalTo(const MachineInfo &other) const;
    //! Same as equalTo().
    bool operator==(const MachineInfo &other) const { return equalTo(other); }
    //! The negation of operator==.
    bool operator!=(const MachineInfo &other) const { return !equalTo(other); }

    //! Empty when the machine does not report one.
    QString serialNumber() const { return m_serialNumber; }
    //! Sets serialNumber().
    void setSerialNumber(const QString &serial) { m_serialNumber = serial; }
    //! The model the electronics report; UnknownModel when not reported.
    int model() const { return m_model; }
    //! Sets model().
    void setModel(int model) { m_model = model; }
    //! The program of the main board; not valid when the board did not answer.
    FW_Program mainProgram() const { return m_mainProgram; }
    //! Sets mainProgram().
    void setMainProgram(const FW_Program &program) { m_mainProgram = program; }
    //! Hardware revision of the main board ("B2"); empty when not reported.
    QString hardwareRevision() const { return m_hardwareRevision; }
    //! Sets hardwareRevision().
    void setHardwareRevision(const QString &revision) { m_hardwareRevision = revision; }

    //! Brings a machine's configuration in line with what the machine
    //! reports of itself: a reported serial number replaces the stored one.
    //! The model is not taken over (a configuration of another model is a
    //! fault the user settles, not something to correct silently). Returns
    //! whether the configuration changed.
    virtual bool updateMachineConfiguration(FW_Machine &machine) const;

    //! {"serial": string, "model": int, "hwRevision": string, "program":
    //!  FW_Program struct (only when the board answered)} plus the members of the kind.
    virtual XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! *ok false (and a default info) when malformed.
    static MachineInfo fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

protected:
    //! Reads the common members; false when one is missing or malformed.
    bool readCommon(const XmlRpc::XmlRpcValue &value);
    //! The class name, to compare kinds.
    virtual const char *kind() const { return "MachineInfo"; }

private:
    QString m_serialNumber;
    int m_model = UnknownModel;
    FW_Program m_mainProgram;
    QString m_hardwareRevision;
};

#endif // MACHINEINFO_H
