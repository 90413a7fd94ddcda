#ifndef GETACTIVEDISPANSWER_H
#define GETACTIVEDISPANSWER_H

#include "DispenserStatus.h"
#include "MachineStatus.h"
#include "MixerStatus.h"
#include "ProtoAnswerT.h"

#include <QtCore/QList>

#include <memory>
#include <vector>

//! The answer to "GET_ACTIVE_DISP": the status of every machine of the
//! driver, active or not, in the driver's order ({"machines": [machine
//! status struct]}, each entry as MachineStatus::toXmlRpcValue writes it).
class AXOCOMM_EXPORT GetActiveDispAnswer : public ProtoAnswerT<GetActiveDispAnswer>
{
public:
    GetActiveDispAnswer() = default;
    //! An answer holding clones of the statuses (null entries skipped).
    explicit GetActiveDispAnswer(const QList<MachineStatus *> &statuses);
    //! The answer of a driver's result; check isValid().
    explicit GetActiveDispAnswer(const XmlRpc::XmlRpcValue &result) { fromXmlRpcValue(result); }
    //! Copies the answer with clones of its statuses.
    GetActiveDispAnswer(const GetActiveDispAnswer &other);
    //! Assigns the answer with clones of its statuses.
    GetActiveDispAnswer &operator=(const GetActiveDispAnswer &other);
    ~GetActiveDispAnswer() override;

    //! The statuses, owned by this answer and valid while it lives.
    QList<MachineStatus *> machineStatusList() const;
    //! Replaces the statuses by clones of the given ones (null entries skipped).
    void setMachineStatusList(const QList<MachineStatus *> &statuses);
    //! Number of statuses.
    int numOfMachineStatus() const { return static_cast<int>(m_statuses.size()); }

    //! Copies of the dispenser (and scale) statuses, in order.
    QList<DispenserStatus> dispenserStatusList() const;
    //! Copies of the mixer statuses, in order.
    QList<MixerStatus> mixerStatusList() const;

    //! The machines whose type shares a bit with typeMask (0: all), in order.
    QList<MachineID> getMachineIDs(int typeMask) const;
    //! The same, only the active ones.
    QList<MachineID> getActiveMachineIDs(int typeMask) const;
    //! Machine numbers of the dispensers (type bit 1) / mixers (type bit 4).
    QList<int> getDispenserIDs() const;
    //! Machine numbers of the mixers.
    QList<int> getMixerIDs() const;
    //! Machine numbers of the active dispensers.
    QList<int> getActiveDispenserIDs() const;
    //! Machine numbers of the active mixers.
    QList<int> getActiveMixerIDs() const;

    //! One line for logs: "1/1 active, 3/4 inactive"; "no machines" when empty.
    QString toString() const;

    QString answerName() const override { return QStringLiteral("GetActiveDispAnswer"); }

protected:
    bool decodeData(const XmlRpc::XmlRpcValue &data) override;
    XmlRpc::XmlRpcValue encodeData() const override;
    bool requiresData() const override { return true; }

    //! Replaces the statuses without copying them.
    void takeMachineStatusList(std::vector<std::unique_ptr<MachineStatus>> statuses);

private:
    QList<MachineID> machineIDs(int typeMask, bool onlyActive) const;
    QList<int> machineNumbers(int typeMask, bool onlyActive) const;

    std::vector<std::unique_ptr<MachineStatus>> m_statuses;
};

#endif // GETACTIVEDISPANSWER_H
