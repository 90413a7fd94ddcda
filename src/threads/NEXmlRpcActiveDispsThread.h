#ifndef NEXMLRPCACTIVEDISPSTHREAD_H
#define NEXMLRPCACTIVEDISPSTHREAD_H

#include "NEXmlRpcPollingThread.h"

//! Keeps the list of the driver's machines, and which of them are active,
//! fresh ("GET_ACTIVE_DISP"). When the driver cannot be reached it tells
//! the application once that every machine became inactive and forgets the
//! sessions, so that the next command logs in again.
class AXOCOMM_EXPORT NEXmlRpcActiveDispsThread : public NEXmlRpcPollingThread
{
    Q_OBJECT

public:
    using NEXmlRpcPollingThread::NEXmlRpcPollingThread;

protected:
    NCCommand makeQuery(const ProtoAnswer *previous) const override;
    FW_DriverError queryConstructionError() const override;
    bool acceptsAnswer(const ProtoAnswer &answer) const override;
    //! Also signalled again while the store lists another number of
    //! dispensers than the answer.
    bool sameAnswer(const ProtoAnswer &previous, const ProtoAnswer &answer) const override;
    void pollFailed(NECommand *command) override;
};

#endif // NEXMLRPCACTIVEDISPSTHREAD_H
