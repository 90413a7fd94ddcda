#include "GetActiveDispAnswer.h"

#include <QtCore/QStringList>

using XmlRpc::XmlRpcValue;

GetActiveDispAnswer::GetActiveDispAnswer(const QList<MachineStatus *> &statuses)
{
    setMachineStatusList(statuses);
}

GetActiveDispAnswer::GetActiveDispAnswer(const GetActiveDispAnswer &other) : ProtoAnswerT(other)
{
    setMachineStatusList(other.machineStatusList());
}

GetActiveDispAnswer &GetActiveDispAnswer::operator=(const GetActiveDispAnswer &other)
{
    if (this != &other) {
        ProtoAnswerT::operator=(other);
        setMachineStatusList(other.machineStatusList());
    }
    return *this;
}

GetActiveDispAnswer::~GetActiveDispAnswer() = default;

QList<MachineStatus *> GetActiveDispAnswer::machineStatusList() const
{
    QList<MachineStatus *> list;
    for (const std::unique_ptr<MachineStatus> &status : m_statuses)
        list.append(status.get());
    return list;
}

void GetActiveDispAnswer::setMachineStatusList(const QList<MachineStatus *> &statuses)
{
    std::vector<std::unique_ptr<MachineStatus>> copies;
    for (const MachineStatus *status : statuses)
        if (status)
            copies.emplace_back(status->clone());
    takeMachineStatusList(std::move(copies));
}

void GetActiveDispAnswer::takeMachineStatusList(std::vector<std::unique_ptr<MachineStatus>> statuses)
{
    m_statuses = std::move(statuses);
}

QList<DispenserStatus> GetActiveDispAnswer::dispenserStatusList() const
{
    return MachineStatus::filterDispenserStatus(machineStatusList());
}

QList<MixerStatus> GetActiveDispAnswer::mixerStatusList() const
{
    return MachineStatus::filterMixerStatus(machineStatusList());
}

QList<MachineID> GetActiveDispAnswer::machineIDs(int typeMask, bool onlyActive) const
{
    QList<MachineID> ids;
    for (const std::unique_ptr<MachineStatus> &status : m_statuses)
        if (status->machineID().matchesTypeMask(typeMask) && (!onlyActive || status->isActive()))
            ids.append(status->machineID());
    return ids;
}

QList<int> GetActiveDispAnswer::machineNumbers(int typeMask, bool onlyActive) const
{
    QList<int> numbers;
    for (const MachineID &id : machineIDs(typeMask, onlyActive))
        numbers.append(id.machineNumber);
    return numbers;
}

QList<MachineID> GetActiveDispAnswer::getMachineIDs(int typeMask) const
{
    return machineIDs(typeMask, false);
}

QList<MachineID> GetActiveDispAnswer::getActiveMachineIDs(int typeMask) const
{
    return machineIDs(typeMask, true);
}

QList<int> GetActiveDispAnswer::getDispenserIDs() const
{
    return machineNumbers(MachineID::Dispenser, false);
}

QList<int> GetActiveDispAnswer::getMixerIDs() const
{
    return machineNumbers(MachineID::Mixer, false);
}

QList<int> GetActiveDispAnswer::getActiveDispenserIDs() const
{
    return machineNumbers(MachineID::Dispenser, true);
}

QList<int> GetActiveDispAnswer::getActiveMixerIDs() const
{
    return machineNumbers(MachineID::Mixer, true);
}

QString GetActiveDispAnswer::toString() const
{
    if (m_statuses.empty())
        return QStringLiteral("no machines");
    QStringList parts;
    for (const std::unique_ptr<MachineStatus> &status : m_statuses)
        parts.append(QStringLiteral("%1 %2").arg(status->machineID().toString(),
                                                 status->isActive() ? QStringLiteral("active")
                                                                    : QStringLiteral("inactive")));
    return parts.join(QStringLiteral(", "));
}

bool GetActiveDispAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct || data["machines"].getType() != XmlRpcValue::TypeArray)
        return false;
    const XmlRpcValue &machines = data["machines"];
    std::vector<std::unique_ptr<MachineStatus>> statuses;
    for (int i = 0; i < machines.size(); ++i) {
        bool ok = false;
        std::unique_ptr<MachineStatus> status = MachineStatus::create(machines[i], &ok);
        if (!ok)
            return false;
        statuses.push_back(std::move(status));
    }
    takeMachineStatusList(std::move(statuses));
    return true;
}

XmlRpcValue GetActiveDispAnswer::encodeData() const
{
    XmlRpcValue machines = XmlRpcValue::emptyArray();
    for (std::size_t i = 0; i < m_statuses.size(); ++i)
        machines[static_cast<int>(i)] = m_statuses[i]->toXmlRpcValue();
    XmlRpcValue data;
    data["machines"] = machines;
    return data;
}
