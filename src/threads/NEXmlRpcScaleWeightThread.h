#ifndef NEXMLRPCSCALEWEIGHTTHREAD_H
#define NEXMLRPCSCALEWEIGHTTHREAD_H

#include "NEXmlRpcThread.h"

#include <QtCore/QMetaObject>
#include <QtCore/QMutex>

#include <memory>

class NECommand;

//! Reads the weight on the scale of a gravimetric dispenser at a fixed
//! interval ("GET_CURRENT_WEIGHT") and keeps it in the store; a failed
//! reading clears it there. The thread runs only while the dispenser doses
//! by weight with software-driven motors, has a scale and the driver reports
//! that scale present ("GET_SCALE_STATUS"); it checks again after each
//! change of its driver's configuration.
//!
//! The interval comes from the environment variable
//! AXOCOMM_SCALE_WEIGHT_POLLING_INTERVAL (ms; 1000 when unset, not a
//! number, or 0 or less).
class AXOCOMM_EXPORT NEXmlRpcScaleWeightThread : public NEXmlRpcThread
{
    Q_OBJECT

public:
    //! Interval when the variable gives none, ms; also the wait while the interval is 0 or less.
    static constexpr qint64 kDefaultIntervalMs = 1000;
    //! The environment variable giving the interval.
    static constexpr const char *kIntervalVariable = "AXOCOMM_SCALE_WEIGHT_POLLING_INTERVAL";

    //! The interval a text of the variable gives.
    static qint64 parseInterval(const QString &text);

    //! A thread of that driver, machine, queue and thread type; reads the interval from the environment.
    NEXmlRpcScaleWeightThread(const NEDriverParams &driverParams, const MachineID &machineID, QueueType queueType,
                              NEDriverParams::DriverThreadTypes threadType, QObject *parent = nullptr);
    ~NEXmlRpcScaleWeightThread() override;

    //! Sets the interval, ms; 0 or less stops the readings.
    void setPollingInterval(qint64 ms);
    //! The interval between readings, ms.
    qint64 pollingInterval() const;

protected:
    //! Reads the weight at the interval until stopped, paused while the scale cannot be read.
    void run() override;

private:
    void setReconfigure(bool reconfigure);
    bool takeReconfigure();
    //! Pauses or resumes the thread by the configuration and the scale's status.
    void reconfigure();
    bool scalePresent();
    void pollWeight(NECommand *command);

    qint64 m_interval = kDefaultIntervalMs;
    mutable QMutex m_intervalMutex;
    bool m_reconfigure = false;
    mutable QMutex m_reconfigureMutex;

    struct Receiver;
    std::shared_ptr<Receiver> m_receiver;
    QMetaObject::Connection m_configConnection;
};

#endif // NEXMLRPCSCALEWEIGHTTHREAD_H
