#include "NCCommand.h"

#include "ProtoAnswer.h"
#include "ProtoCommand.h"
#include "XmlRpcAnswer.h"

NCCommand::NCCommand(const ProtoCommand *command, const ProtoAnswer *previous, int interval, int timeout)
    : m_command(command ? command->clone() : nullptr),
      m_previous(previous ? previous->clone() : nullptr),
      m_interval(interval),
      m_timeout(timeout)
{
}

NCCommand::NCCommand(const QString &name, const ProtoAnswer *previous, int interval, int timeout,
                     const FW_Machine *machine)
    : m_command(name.isEmpty() ? nullptr : new ProtoCommand(name, QList<QVariant>(), machine)),
      m_previous(previous ? previous->clone() : nullptr),
      m_interval(interval),
      m_timeout(timeout)
{
}

NCCommand::NCCommand(const NCCommand &other)
    : m_command(other.m_command ? other.m_command->clone() : nullptr),
      m_previous(other.m_previous ? other.m_previous->clone() : nullptr),
      m_interval(other.m_interval),
      m_timeout(other.m_timeout)
{
}

NCCommand &NCCommand::operator=(const NCCommand &other)
{
    if (this != &other) {
        m_command.reset(other.m_command ? other.m_command->clone() : nullptr);
        m_previous.reset(other.m_previous ? other.m_previous->clone() : nullptr);
        m_interval = other.m_interval;
        m_timeout = other.m_timeout;
    }
    return *this;
}

NCCommand::~NCCommand() = default;

QString NCCommand::command() const
{
    return m_command ? m_command->command() : QString();
}

XmlRpc::XmlRpcValue NCCommand::toXmlRpcValue(const QString &sessionID, bool *ok) const
{
    if (!m_command) {
        if (ok)
            *ok = false;
        return XmlRpc::XmlRpcValue();
    }
    XmlRpc::XmlRpcValue call = m_command->toXmlRpcValue(sessionID, ok);
    if (m_previous) {
        const XmlRpc::XmlRpcValue previous = m_previous->toXmlRpcValue();
        if (previous.hasMember("data"))
            call["prev"] = previous["data"];
    }
    call["interval"] = m_interval;
    call["timeout"] = m_timeout;
    return call;
}
