#ifndef MACHINESTATUS_H
#define MACHINESTATUS_H

#include "AXOCommGlobal.h"
#include "ConfigID.h"
#include "FW_ErrorList.h"
#include "MachineID.h"
#include "MachineInfo.h"
#include "XmlRpcValue.h"

#include <QtCore/QList>
#include <QtCore/QString>

#include <memory>

class DispenserStatus;
class MixerStatus;

//! One machine as its driver reports it in the list of machines: identity,
//! whether it is active (connected and in service), its model, its state,
//! whether it takes commands, its current errors and the identity of its
//! stored configuration. DispenserStatus (dispensers and scales) and
//! MixerStatus add the fields of their kind; copies of the right kind are
//! made with clone().
class AXOCOMM_EXPORT MachineStatus
{
public:
    //! Machine {0, 0}, inactive, nothing reported.
    MachineStatus() = default;
    //! That machine, inactive, nothing reported.
    explicit MachineStatus(const MachineID &id) : m_id(id) {}
    //! A deep copy (the machine information too).
    MachineStatus(const MachineStatus &other);
    //! A deep copy (the machine information too).
    MachineStatus &operator=(const MachineStatus &other);
    virtual ~MachineStatus();

    //! A new copy of the same class, owned by the caller.
    virtual MachineStatus *clone() const { return new MachineStatus(*this); }
    //! The class name, e.g. "DispenserStatus".
    virtual QString statusName() const { return QStringLiteral("MachineStatus"); }
    //! Same class and same content.
    bool equalTo(const MachineStatus &other) const;
    //! equalTo().
    bool operator==(const MachineStatus &other) const { return equalTo(other); }
    //! Not equalTo().
    bool operator!=(const MachineStatus &other) const { return !equalTo(other); }

    //! The machine.
    MachineID machineID() const { return m_id; }
    //! Its number.
    int machineNumber() const { return m_id.machineNumber; }
    //! Its type bits.
    int machineType() const { return m_id.machineType; }
    //! Sets the machine.
    void setMachineID(const MachineID &id) { m_id = id; }

    //! The machine is connected and in service.
    bool isActive() const { return m_active; }
    //! Sets the activity.
    void setActive(bool active) { m_active = active; }

    //! The model's name as the driver reports it.
    QString modelName() const { return m_modelName; }
    //! Sets the model's name.
    void setModelName(const QString &name) { m_modelName = name; }

    //! The driver's state code of the machine and its readable text.
    int state() const { return m_state; }
    //! The state's text.
    QString stateText() const { return m_stateText; }
    //! Sets the state code and text.
    void setState(int code, const QString &text)
    {
        m_state = code;
        m_stateText = text;
    }

    //! A command is running on the machine.
    bool isBusy() const { return m_busy; }
    //! Sets the busy flag.
    void setBusy(bool busy) { m_busy = busy; }
    //! The machine takes commands.
    bool acceptCommands() const { return m_acceptCommands; }
    //! Sets that flag.
    void setAcceptCommands(bool accept) { m_acceptCommands = accept; }
    //! Takes long process commands (dispensing, cleaning, ...), not only queries.
    bool acceptProcessCommands() const { return m_acceptProcessCommands; }
    //! Sets that flag.
    void setAcceptProcessCommands(bool accept) { m_acceptProcessCommands = accept; }

    //! The machine's current errors as the list reports them.
    FW_ErrorList errors() const { return m_errors; }
    //! Sets the errors.
    void setErrors(const FW_ErrorList &errors) { m_errors = errors; }
    //! The number of errors.
    int errorCount() const { return m_errors.size(); }

    //! The driver reported the identity of the machine's stored configuration.
    bool hasConfigID() const { return m_hasConfigID; }
    //! The reported identity; revision 0 for this machine when none was reported.
    ConfigID configID() const { return m_hasConfigID ? m_configID : ConfigID(m_id, 0); }
    //! Sets the reported configuration identity.
    void setConfigID(const ConfigID &id)
    {
        m_configID = id;
        m_hasConfigID = true;
    }
    //! Forgets the configuration identity.
    void clearConfigID()
    {
        m_configID = ConfigID();
        m_hasConfigID = false;
    }

    //! The driver reported what the machine tells of itself.
    bool hasMachineInfo() const { return m_info != nullptr; }
    //! That information (of the status's kind, e.g. a DispenserInfo), owned
    //! by the status; null when none was reported.
    const MachineInfo *machineInfo() const { return m_info.get(); }
    //! Keeps a copy of the information.
    void setMachineInfo(const MachineInfo &info) { m_info.reset(info.clone()); }
    //! Forgets the machine information.
    void clearMachineInfo() { m_info.reset(); }
    //! Lets the reported information bring the machine's configuration in
    //! line (MachineInfo::updateMachineConfiguration); false, nothing
    //! changed, when the status carries none.
    bool updateMachineConfiguration(FW_Machine &machine) const
    {
        return m_info && m_info->updateMachineConfiguration(machine);
    }

    //! {"id": MachineID struct, "active": bool, "model": string, "state": int,
    //!  "stateText": string, "busy": bool, "acceptCommands": bool,
    //!  "acceptProcessCommands": bool, "errors": [error struct],
    //!  "config": ConfigID struct (only when reported), "info": machine
    //!  information struct (only when reported)} plus the members of the kind.
    virtual XmlRpc::XmlRpcValue toXmlRpcValue() const;
    //! A status of this class; a default status and *ok false when malformed.
    static MachineStatus fromXmlRpcValue(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);
    //! The status of the kind the machine type names: type bit 1 a
    //! DispenserStatus, else bit 4 a MixerStatus, else bit 2 (a scale) a
    //! DispenserStatus, else a MachineStatus. Null and *ok false when malformed.
    static std::unique_ptr<MachineStatus> create(const XmlRpc::XmlRpcValue &value, bool *ok = nullptr);

    //! Whether the statuses of the machines whose type matches typeMask (0: all)
    //! changed in what the machine list shows: machines added or removed, or
    //! for one machine the active flag, model, accept-commands flags,
    //! configuration identity or the fixed fields of its kind. State, busy
    //! flag, errors, the running fields of the kind and the machine
    //! information are not compared: the information changes with the
    //! machine's hardware and reaches the configuration on its own (see
    //! updateMachineConfiguration), it does not change the list.
    template<typename T>
    static bool hasRelevantChanges(const QList<T> &oldList, const QList<T> &newList, int typeMask = 0)
    {
        return relevantChanges(pointers(oldList), pointers(newList), typeMask);
    }
    //! The same for lists of status pointers.
    static bool hasRelevantChanges(const QList<MachineStatus *> &oldList, const QList<MachineStatus *> &newList,
                                   int typeMask = 0);

    //! Copies of the DispenserStatus entries, in list order (null entries skipped).
    static QList<DispenserStatus> filterDispenserStatus(const QList<MachineStatus *> &list);
    //! Copies of the MixerStatus entries, in list order.
    static QList<MixerStatus> filterMixerStatus(const QList<MachineStatus *> &list);
    //! The configuration identities the entries report, in list order;
    //! entries that report none are left out.
    static QList<ConfigID> getConfigIDList(const QList<MachineStatus *> &list);

protected:
    //! Reads the common members; false when one is missing or malformed.
    bool readCommon(const XmlRpc::XmlRpcValue &value);
    //! Whether the fields the machine list shows differ; called only for two
    //! statuses of the same class and machine.
    virtual bool differsRelevantly(const MachineStatus &other) const;
    //! The information of a status of this kind; null and *ok false when malformed.
    virtual MachineInfo *readInfo(const XmlRpc::XmlRpcValue &value, bool *ok) const;

private:
    template<typename T>
    static QList<const MachineStatus *> pointers(const QList<T> &list)
    {
        QList<const MachineStatus *> result;
        for (const T &status : list)
            result.append(&status);
        return result;
    }
    static bool relevantChanges(const QList<const MachineStatus *> &oldList,
                                const QList<const MachineStatus *> &newList, int typeMask);

    MachineID m_id;
    bool m_active = false;
    QString m_modelName;
    int m_state = 0;
    QString m_stateText;
    bool m_busy = false;
    bool m_acceptCommands = false;
    bool m_acceptProcessCommands = false;
    FW_ErrorList m_errors;
    ConfigID m_configID;
    bool m_hasConfigID = false;
    std::unique_ptr<MachineInfo> m_info;
};

#endif // MACHINESTATUS_H
