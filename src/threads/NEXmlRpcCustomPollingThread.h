#ifndef NEXMLRPCCUSTOMPOLLINGTHREAD_H
#define NEXMLRPCCUSTOMPOLLINGTHREAD_H

#include "NEXmlRpcPollingThread.h"

#include <memory>

class SerialProtoCommand;

//! Polls one fixed serial query of a machine ("GET_SENSORS_STATUS") and
//! signals every answer that differs from the one before, whatever its
//! class. It does not call the driver while the store says the machine is
//! unavailable.
class AXOCOMM_EXPORT NEXmlRpcCustomPollingThread : public NEXmlRpcPollingThread
{
    Q_OBJECT

public:
    //! A thread of that driver, machine, queue and thread type, polling "GET_SENSORS_STATUS".
    NEXmlRpcCustomPollingThread(const NEDriverParams &driverParams, const MachineID &machineID, QueueType queueType,
                                NEDriverParams::DriverThreadTypes threadType, QObject *parent = nullptr);
    ~NEXmlRpcCustomPollingThread() override;

protected:
    NCCommand makeQuery(const ProtoAnswer *previous) const override;
    FW_DriverError queryConstructionError() const override;
    bool acceptsAnswer(const ProtoAnswer &answer) const override;
    bool mayPoll() const override;

private:
    //! Built once; null when it could not be built (every poll then reports
    //! the construction error).
    std::shared_ptr<const SerialProtoCommand> m_query;
};

#endif // NEXMLRPCCUSTOMPOLLINGTHREAD_H
