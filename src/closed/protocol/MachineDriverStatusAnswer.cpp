#include "MachineDriverStatusAnswer.h"

#include "FW_XmlRpcReader.h"

using XmlRpc::XmlRpcValue;

MachineDriverStatusAnswer::MachineDriverStatusAnswer() = default;

MachineDriverStatusAnswer::MachineDriverStatusAnswer(const MachineDriverStatusAnswer &other)
    : ProtoAnswerT(other),
      m_machineID(other.m_machineID),
      m_active(other.m_active),
      m_acceptCommands(other.m_acceptCommands),
      m_acceptProcessCommands(other.m_acceptProcessCommands),
      m_readyForPOS(other.m_readyForPOS),
      m_status(other.m_status ? other.m_status->clone() : nullptr)
{
}

MachineDriverStatusAnswer &MachineDriverStatusAnswer::operator=(const MachineDriverStatusAnswer &other)
{
    if (this != &other) {
        ProtoAnswerT::operator=(other);
        m_machineID = other.m_machineID;
        m_active = other.m_active;
        m_acceptCommands = other.m_acceptCommands;
        m_acceptProcessCommands = other.m_acceptProcessCommands;
        m_readyForPOS = other.m_readyForPOS;
        m_status.reset(other.m_status ? other.m_status->clone() : nullptr);
    }
    return *this;
}

MachineDriverStatusAnswer::~MachineDriverStatusAnswer() = default;

bool MachineDriverStatusAnswer::isStatusAnswerOfKind(const MachineStatusAnswer &) const
{
    return true;
}

bool MachineDriverStatusAnswer::setMachineStatusAnswer(const MachineStatusAnswer *status)
{
    if (status && !isStatusAnswerOfKind(*status))
        return false;
    m_status.reset(status ? status->clone() : nullptr);
    return true;
}

bool MachineDriverStatusAnswer::decodeData(const XmlRpcValue &data)
{
    if (data.getType() != XmlRpcValue::TypeStruct)
        return false;
    FW_XmlRpcReader reader(data);
    bool ok = false;
    const MachineID id = MachineID::fromXmlRpcValue(reader.member("machine"), &ok);
    reader.require(ok);
    for (const char *name : {"active", "acceptCommands", "acceptProcessCommands", "readyForPOS"})
        reader.require(data[name].getType() == XmlRpcValue::TypeBoolean);
    std::unique_ptr<MachineStatusAnswer> status;
    if (data.hasMember("status")) {
        status.reset(newStatusAnswer());
        reader.require(status->fromXmlRpcValue(data["status"]));
    }
    if (!reader.ok())
        return false;
    m_machineID = id;
    m_active = data["active"].asBool();
    m_acceptCommands = data["acceptCommands"].asBool();
    m_acceptProcessCommands = data["acceptProcessCommands"].asBool();
    m_readyForPOS = data["readyForPOS"].asBool();
    m_status = std::move(status);
    return true;
}

XmlRpcValue MachineDriverStatusAnswer::encodeData() const
{
    XmlRpcValue data;
    data["machine"] = m_machineID.toXmlRpcValue();
    data["active"] = m_active;
    data["acceptCommands"] = m_acceptCommands;
    data["acceptProcessCommands"] = m_acceptProcessCommands;
    data["readyForPOS"] = m_readyForPOS;
    if (m_status)
        data["status"] = m_status->toXmlRpcValue();
    return data;
}
