#ifndef NEXMLRPCSENSORSTHREAD_H
#define NEXMLRPCSENSORSTHREAD_H

#include "NEXmlRpcThread.h"

#include <QtCore/QList>
#include <QtCore/QMetaObject>
#include <QtCore/QMutex>

#include <memory>

class NECommand;

//! Reads the humidifier and gear/AC-motor sensors of one dispenser at a
//! fixed interval ("GET_SENSOR_DATA") and announces the values after every
//! pass through the store's humidifier and gear/AC-motor signals. Which
//! readings are taken follows the dispenser's configuration: the thread
//! stays paused while the dispenser has no readable sensors, is not
//! configured or does not accept commands. An enqueued configuration command
//! delays the next pass by one interval.
class AXOCOMM_EXPORT NEXmlRpcSensorsThread : public NEXmlRpcThread
{
    Q_OBJECT

public:
    //! The initial interval, ms; also the wait while the interval is 0 or less.
    static constexpr qint64 kDefaultIntervalMs = 1000;

    //! A thread of that driver, machine, queue and thread type; starts paused.
    NEXmlRpcSensorsThread(const NEDriverParams &driverParams, const MachineID &machineID, QueueType queueType,
                          NEDriverParams::DriverThreadTypes threadType, QObject *parent = nullptr);
    ~NEXmlRpcSensorsThread() override;

    //! Sets the interval between passes, ms; 0 or less stops the passes.
    void setPollingInterval(qint64 ms);
    //! The interval between passes, ms.
    qint64 pollingInterval() const;
    //! The reading groups taken in each pass (SensorDataCmd::ReadingType).
    QList<int> readingTypes() const;

public slots:
    // Each reconfigures the thread when the signal concerns its driver (and machine).
    //! Reconfigures the thread when its driver's configuration changed.
    void ConfigurationChangedSlot(int driverID);
    //! Reconfigures the thread when its driver's dispenser status list changed.
    void DispenserStatusListChangedSlot(int driverID);
    //! Reconfigures the thread when its dispenser's driver status changed.
    void NEDispenserDriverStatusChangedSlot(int driverID, int dispID);
    //! Reconfigures the thread when its machine's firmware program changed.
    void FirmwareProgramChangedSlot(int driverID, const MachineID &machineID);
    //! A configuration command delays the next pass.
    void NECommandEnqueuedSlot(const NECommand &command);

protected:
    //! Takes a pass of readings at the interval until stopped.
    void run() override;

private:
    //! What a reconfiguration decides.
    struct Setup
    {
        bool paused = true;
        QList<int> readingTypes;
    };
    static Setup readSetup(int driverID, int dispID);
    void apply(const Setup &setup);
    void reconfigure();
    //! Runs the readings of one pass; false when none could be built.
    void pollPass(const QList<std::shared_ptr<NECommand>> &commands);
    //! Runs one reading command; true with *value when it gave a reading.
    bool read(NECommand *command, double *value);

    qint64 m_interval = kDefaultIntervalMs;
    mutable QMutex m_intervalMutex;
    QList<int> m_readingTypes;
    mutable QMutex m_readingTypesMutex;
    double m_humidifier[2] = {0.0, 0.0};
    double m_motor[2] = {0.0, 0.0};

    //! Shared with the store connections, so that a signal delivered while
    //! this object is being destroyed finds it gone.
    struct Receiver;
    std::shared_ptr<Receiver> m_receiver;
    QList<QMetaObject::Connection> m_connections;
};

#endif // NEXMLRPCSENSORSTHREAD_H
