#include "NEXmlRpcCustomPollingThread.h"

#include "AXOCommData.h"
#include "ProtoCommandList.h"
#include "SerialProtoCommand.h"

#include <stdexcept>

NEXmlRpcCustomPollingThread::NEXmlRpcCustomPollingThread(const NEDriverParams &driverParams,
                                                         const MachineID &machineID, QueueType queueType,
                                                         NEDriverParams::DriverThreadTypes threadType,
                                                         QObject *parent)
    : NEXmlRpcPollingThread(driverParams, machineID, queueType, threadType, parent)
{
    try {
        m_query = std::make_shared<const SerialProtoCommand>(
            ProtoCommandList::cmdStr(ProtoCommandList::GET_SENSORS_STATUS));
    } catch (...) {
        m_query.reset();
    }
}

NEXmlRpcCustomPollingThread::~NEXmlRpcCustomPollingThread() = default;

NCCommand NEXmlRpcCustomPollingThread::makeQuery(const ProtoAnswer *previous) const
{
    if (!m_query)
        throw std::runtime_error("no sensors query"); // reported as the construction error
    return NCCommand(m_query.get(), previous, kPollInterval, kPollHold);
}

FW_DriverError NEXmlRpcCustomPollingThread::queryConstructionError() const
{
    return FW_DriverError(QStringLiteral("An error occurred in circuits status thread in command construction"),
                          QStringLiteral("TE00537"));
}

bool NEXmlRpcCustomPollingThread::acceptsAnswer(const ProtoAnswer &) const
{
    return true;
}

bool NEXmlRpcCustomPollingThread::mayPoll() const
{
    return !AXOCommData::instance()->isMachineUnavailable(driverID(), machineID());
}
