#include "NEXmlRpcCircuitsStatusThread.h"

#include "AXOCommData.h"
#include "CircuitsStatusAnswer.h"
#include "CircuitsStatusCmd.h"
#include "FW_Configuration.h"
#include "FW_Dispenser.h"

NEXmlRpcCircuitsStatusThread::NEXmlRpcCircuitsStatusThread(const NEDriverParams &driverParams,
                                                           const MachineID &machineID, QueueType queueType,
                                                           NEDriverParams::DriverThreadTypes threadType,
                                                           QObject *parent)
    : NEXmlRpcPollingThread(driverParams, machineID, queueType, threadType, parent)
{
}

void NEXmlRpcCircuitsStatusThread::run()
{
    const FW_Configuration configuration = AXOCommData::instance()->getSharedConfiguration(driverID());
    const FW_Dispenser *dispenser = configuration.getDispenserById(machineID().machineNumber);
    m_positions = dispenser ? dispenser->getPositionsIDList(true) : QList<int>();
    NEXmlRpcPollingThread::run();
}

NCCommand NEXmlRpcCircuitsStatusThread::makeQuery(const ProtoAnswer *previous) const
{
    const CircuitsStatusCmd query(m_positions, nullptr);
    return NCCommand(&query, previous, kPollInterval, kPollHold);
}

FW_DriverError NEXmlRpcCircuitsStatusThread::queryConstructionError() const
{
    return FW_DriverError(QStringLiteral("An error occurred in circuits status thread in command construction"),
                          QStringLiteral("TE00144"));
}

bool NEXmlRpcCircuitsStatusThread::acceptsAnswer(const ProtoAnswer &answer) const
{
    return dynamic_cast<const CircuitsStatusAnswer *>(&answer) != nullptr;
}

bool NEXmlRpcCircuitsStatusThread::mayPoll() const
{
    return !AXOCommData::instance()->isDispenserUnavailable(driverID(), machineID().machineNumber);
}
