#include "MachineStatus.h"

#include "DispenserStatus.h"
#include "FW_XmlRpcReader.h"
#include "MixerStatus.h"

#include <utility>

using XmlRpc::XmlRpcValue;

MachineStatus::MachineStatus(const MachineStatus &other)
    : m_id(other.m_id), m_active(other.m_active), m_modelName(other.m_modelName), m_state(other.m_state),
      m_stateText(other.m_stateText), m_busy(other.m_busy), m_acceptCommands(other.m_acceptCommands),
      m_acceptProcessCommands(other.m_acceptProcessCommands), m_errors(other.m_errors),
      m_configID(other.m_configID), m_hasConfigID(other.m_hasConfigID),
      m_info(other.m_info ? other.m_info->clone() : nullptr)
{
}

MachineStatus &MachineStatus::operator=(const MachineStatus &other)
{
    if (this != &other) {
        MachineStatus copy(other);
        std::swap(m_id, copy.m_id);
        std::swap(m_active, copy.m_active);
        std::swap(m_modelName, copy.m_modelName);
        std::swap(m_state, copy.m_state);
        std::swap(m_stateText, copy.m_stateText);
        std::swap(m_busy, copy.m_busy);
        std::swap(m_acceptCommands, copy.m_acceptCommands);
        std::swap(m_acceptProcessCommands, copy.m_acceptProcessCommands);
        std::swap(m_errors, copy.m_errors);
        std::swap(m_configID, copy.m_configID);
        std::swap(m_hasConfigID, copy.m_hasConfigID);
        std::swap(m_info, copy.m_info);
    }
    return *this;
}

MachineStatus::~MachineStatus() = default;

bool MachineStatus::equalTo(const MachineStatus &other) const
{
    return statusName() == other.statusName() && toXmlRpcValue() == other.toXmlRpcValue();
}

XmlRpcValue MachineStatus::toXmlRpcValue() const
{
    XmlRpcValue value;
    value["id"] = m_id.toXmlRpcValue();
    value["active"] = m_active;
    value["model"] = m_modelName.toStdString();
    value["state"] = m_state;
    value["stateText"] = m_stateText.toStdString();
    value["busy"] = m_busy;
    value["acceptCommands"] = m_acceptCommands;
    value["acceptProcessCommands"] = m_acceptProcessCommands;
    value["errors"] = m_errors.toXmlRpcValue();
    if (m_hasConfigID)
        value["config"] = m_configID.toXmlRpcValue();
    if (m_info)
        value["info"] = m_info->toXmlRpcValue();
    return value;
}

bool MachineStatus::readCommon(const XmlRpcValue &value)
{
    if (value.getType() != XmlRpcValue::TypeStruct)
        return false;
    FW_XmlRpcReader reader(value);
    bool ok = false;
    const MachineID id = MachineID::fromXmlRpcValue(reader.member("id"), &ok);
    reader.require(ok);
    for (const char *name : {"active", "busy", "acceptCommands", "acceptProcessCommands"})
        reader.require(value[name].getType() == XmlRpcValue::TypeBoolean);
    const QString model = reader.toString("model");
    const int state = reader.toInt("state");
    const QString stateText = reader.toString("stateText");
    const FW_ErrorList errors = FW_ErrorList::fromXmlRpcValue(reader.array("errors"), &ok);
    reader.require(ok);
    ConfigID configID;
    const bool hasConfigID = value.hasMember("config");
    if (hasConfigID) {
        configID = ConfigID::fromXmlRpcValue(value["config"], &ok);
        reader.require(ok);
    }
    std::unique_ptr<MachineInfo> info;
    if (value.hasMember("info")) {
        info.reset(readInfo(value["info"], &ok));
        reader.require(ok);
    }
    if (!reader.ok())
        return false;
    m_id = id;
    m_active = value["active"].asBool();
    m_modelName = model;
    m_state = state;
    m_stateText = stateText;
    m_busy = value["busy"].asBool();
    m_acceptCommands = value["acceptCommands"].asBool();
    m_acceptProcessCommands = value["acceptProcessCommands"].asBool();
    m_errors = errors;
    m_configID = configID;
    m_hasConfigID = hasConfigID;
    m_info = std::move(info);
    return true;
}

MachineInfo *MachineStatus::readInfo(const XmlRpcValue &value, bool *ok) const
{
    const MachineInfo info = MachineInfo::fromXmlRpcValue(value, ok);
    return *ok ? info.clone() : nullptr;
}

MachineStatus MachineStatus::fromXmlRpcValue(const XmlRpcValue &value, bool *ok)
{
    MachineStatus status;
    const bool valid = status.readCommon(value);
    if (ok)
        *ok = valid;
    return valid ? status : MachineStatus();
}

std::unique_ptr<MachineStatus> MachineStatus::create(const XmlRpcValue &value, bool *ok)
{
    if (ok)
        *ok = false;
    if (value.getType() != XmlRpcValue::TypeStruct)
        return nullptr;
    bool valid = false;
    const MachineID id = MachineID::fromXmlRpcValue(value["id"], &valid);
    if (!valid)
        return nullptr;
    std::unique_ptr<MachineStatus> status;
    if (id.isDispenser())
        status.reset(new DispenserStatus(DispenserStatus::fromXmlRpcValue(value, &valid)));
    else if (id.isMixer())
        status.reset(new MixerStatus(MixerStatus::fromXmlRpcValue(value, &valid)));
    else if (id.isScale())
        status.reset(new DispenserStatus(DispenserStatus::fromXmlRpcValue(value, &valid)));
    else
        status.reset(new MachineStatus(fromXmlRpcValue(value, &valid)));
    if (!valid)
        return nullptr;
    if (ok)
        *ok = true;
    return status;
}

bool MachineStatus::differsRelevantly(const MachineStatus &other) const
{
    return m_active != other.m_active || m_modelName != other.m_modelName
        || m_acceptCommands != other.m_acceptCommands || m_acceptProcessCommands != other.m_acceptProcessCommands
        || m_hasConfigID != other.m_hasConfigID || m_configID != other.m_configID;
}

bool MachineStatus::hasRelevantChanges(const QList<MachineStatus *> &oldList, const QList<MachineStatus *> &newList,
                                       int typeMask)
{
    QList<const MachineStatus *> oldPointers, newPointers;
    for (const MachineStatus *status : oldList)
        oldPointers.append(status);
    for (const MachineStatus *status : newList)
        newPointers.append(status);
    return relevantChanges(oldPointers, newPointers, typeMask);
}

bool MachineStatus::relevantChanges(const QList<const MachineStatus *> &oldList,
                                    const QList<const MachineStatus *> &newList, int typeMask)
{
    auto selected = [typeMask](const QList<const MachineStatus *> &list) {
        QList<const MachineStatus *> result;
        for (const MachineStatus *status : list)
            if (status && status->m_id.matchesTypeMask(typeMask))
                result.append(status);
        return result;
    };
    const QList<const MachineStatus *> before = selected(oldList);
    const QList<const MachineStatus *> after = selected(newList);
    auto find = [](const QList<const MachineStatus *> &list, const MachineID &id) -> const MachineStatus * {
        for (const MachineStatus *status : list)
            if (status->m_id == id)
                return status;
        return nullptr;
    };
    if (before.size() != after.size())
        return true;
    for (const MachineStatus *status : before)
        if (!find(after, status->m_id))
            return true;
    for (const MachineStatus *status : after) {
        const MachineStatus *previous = find(before, status->m_id);
        if (!previous || previous->statusName() != status->statusName() || status->differsRelevantly(*previous))
            return true;
    }
    return false;
}

QList<DispenserStatus> MachineStatus::filterDispenserStatus(const QList<MachineStatus *> &list)
{
    QList<DispenserStatus> result;
    for (const MachineStatus *status : list)
        if (const DispenserStatus *dispenser = dynamic_cast<const DispenserStatus *>(status))
            result.append(*dispenser);
    return result;
}

QList<MixerStatus> MachineStatus::filterMixerStatus(const QList<MachineStatus *> &list)
{
    QList<MixerStatus> result;
    for (const MachineStatus *status : list)
        if (const MixerStatus *mixer = dynamic_cast<const MixerStatus *>(status))
            result.append(*mixer);
    return result;
}

QList<ConfigID> MachineStatus::getConfigIDList(const QList<MachineStatus *> &list)
{
    QList<ConfigID> result;
    for (const MachineStatus *status : list)
        if (status && status->m_hasConfigID)
            result.append(status->m_configID);
    return result;
}
