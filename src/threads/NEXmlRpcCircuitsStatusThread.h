#ifndef NEXMLRPCCIRCUITSSTATUSTHREAD_H
#define NEXMLRPCCIRCUITSSTATUSTHREAD_H

#include "NEXmlRpcPollingThread.h"

#include <QtCore/QList>

//! Keeps the state of one dispenser's circuits ("GET_CIRCUITS_STATUS")
//! fresh: the circuits in use when the thread starts are asked for with
//! notify-changed queries, and a changed answer goes to the application
//! through the store's command-executed signal. While the store knows the
//! dispenser as unavailable the query is not sent.
class AXOCOMM_EXPORT NEXmlRpcCircuitsStatusThread : public NEXmlRpcPollingThread
{
    Q_OBJECT

public:
    //! A thread of that driver, machine, queue and thread type.
    NEXmlRpcCircuitsStatusThread(const NEDriverParams &driverParams, const MachineID &machineID,
                                 QueueType queueType, NEDriverParams::DriverThreadTypes threadType,
                                 QObject *parent = nullptr);

protected:
    //! Reads the enabled circuits of the dispenser from the configuration, then polls until stopped.
    void run() override;
    NCCommand makeQuery(const ProtoAnswer *previous) const override;
    FW_DriverError queryConstructionError() const override;
    bool acceptsAnswer(const ProtoAnswer &answer) const override;
    bool mayPoll() const override;

private:
    //! The enabled circuits of the dispenser, read at the start of run();
    //! touched by the thread only.
    QList<int> m_positions;
};

#endif // NEXMLRPCCIRCUITSSTATUSTHREAD_H
