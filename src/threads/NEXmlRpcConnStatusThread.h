#ifndef NEXMLRPCCONNSTATUSTHREAD_H
#define NEXMLRPCCONNSTATUSTHREAD_H

#include "NEXmlRpcPollingThread.h"

//! Keeps the driver's connection status fresh ("GET_CONN_STATUS"): which
//! of its machines it reaches on their ports and which it lost.
class AXOCOMM_EXPORT NEXmlRpcConnStatusThread : public NEXmlRpcPollingThread
{
    Q_OBJECT

public:
    using NEXmlRpcPollingThread::NEXmlRpcPollingThread;

protected:
    NCCommand makeQuery(const ProtoAnswer *previous) const override;
    FW_DriverError queryConstructionError() const override;
    bool acceptsAnswer(const ProtoAnswer &answer) const override;
};

#endif // NEXMLRPCCONNSTATUSTHREAD_H
