#ifndef NEXMLRPCSTATUSTHREAD_H
#define NEXMLRPCSTATUSTHREAD_H

#include "NEXmlRpcPollingThread.h"

#include <QtCore/QMetaObject>

#include <memory>

//! Keeps the driver status of one dispenser ("GET_DISP_STATUS") or mixer
//! ("GET_MIXER_STATUS") fresh. It pauses itself while its driver's
//! configuration has no machines and resumes when one brings some.
class AXOCOMM_EXPORT NEXmlRpcStatusThread : public NEXmlRpcPollingThread
{
    Q_OBJECT

public:
    //! A thread of that driver, machine, queue and thread type.
    NEXmlRpcStatusThread(const NEDriverParams &driverParams, const MachineID &machineID, QueueType queueType,
                         NEDriverParams::DriverThreadTypes threadType, QObject *parent = nullptr);
    ~NEXmlRpcStatusThread() override;

public slots:
    //! The configuration of a driver changed: for this thread's driver,
    //! pauses polling when it has no machines and resumes it otherwise.
    //! Runs in whichever thread the store signals from; it touches only the
    //! pause flag.
    void ConfigurationChanged(int driverID);

protected:
    NCCommand makeQuery(const ProtoAnswer *previous) const override;
    FW_DriverError queryConstructionError() const override;
    bool acceptsAnswer(const ProtoAnswer &answer) const override;

private:
    //! A driver without configured machines is not polled for their status.
    void followConfiguredMachines(bool machines);

    //! The query's name by the machine's type; empty for a machine that is
    //! neither a dispenser nor a mixer.
    QString queryName() const;

    //! Shared with the store connection, so that a signal delivered while
    //! this object is being destroyed finds it gone instead of half-dead.
    struct Receiver;
    std::shared_ptr<Receiver> m_receiver;
    QMetaObject::Connection m_configConnection;
};

#endif // NEXMLRPCSTATUSTHREAD_H
