#ifndef AXOCOMMDATA_H
#define AXOCOMMDATA_H

#include "AXOCommGlobal.h"
#include "MachineID.h"
#include "NEDriverParams.h"
#include "NEDriverParamsList.h"

#include <QtCore/QMutex>
#include <QtCore/QObject>
#include <QtCore/QSet>

#include <memory>

class MachineDriverStatusAnswer;
class NECommand;
class NECommandQueue;
class NECommandQueueManager;

//! The process-wide store of what the library knows about its drivers: the
//! registered drivers, their command queues and communication threads, and
//! the command signals the host receives.
class AXOCOMM_EXPORT AXOCommData : public QObject
{
    Q_OBJECT

public:
    enum CommandEvent {
        CommandEnqueued = 0,
        CommandSent = 1,
        CommandProgress = 2,
        CommandExecuted = 3
    };
    Q_ENUM(CommandEvent)

    static AXOCommData *instance();
    static void drop();

    // Drivers.
    QList<int> getDriverIDs() const;
    //! The driver's type; -1 when the driver is not registered.
    int getDriverType(int driverID) const;
    bool isAXODriver(int driverID) const { return getDriverType(driverID) == AXOdriver; }
    bool isSlaveDriver(int driverID) const { return getDriverType(driverID) == SlaveDriver; }
    NEDriverParams getDriverParamsForDriver(int driverID, bool *found = nullptr) const;
    NEDriverParamsList getDriverParamsList() const;
    void setDriverParamsList(const NEDriverParamsList &list);

    // Driver communication threads, by (driver, machine, thread type).
    //! Records that the thread of that key runs and creates its queue.
    bool createDriverCommThread(int driverID, const MachineID &machineID,
                                NEDriverParams::DriverThreadTypes threadType);
    bool existsDriverCommThread(int driverID, const MachineID &machineID,
                                NEDriverParams::DriverThreadTypes threadType) const;
    bool startDriverCommThread(int driverID, const MachineID &machineID,
                               NEDriverParams::DriverThreadTypes threadType);
    bool stopDriverCommThread(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes threadType,
                              bool wait, bool force, bool remove);
    bool setActiveCircuitProcess(int driverID, const MachineID &machineID, int circuitProcess);

    // Command queues.
    bool enqueueCommand(NECommand *command);
    NECommand *takeFirstCommand(int driverID, const MachineID &machineID, int queueType);
    int commandQueueCount(int driverID, const MachineID &machineID, int queueType) const;
    bool clearCommandQueue(int driverID, const MachineID &machineID, int queueType);
    bool existCommandQueue(int driverID, const MachineID &machineID, int queueType) const;
    void removeAllCommandQueues(int driverID);

    //! A copy of the driver status last stored for the machine; null when none.
    std::unique_ptr<MachineDriverStatusAnswer> currentMachineDriverStatus(int driverID,
                                                                         const MachineID &machineID) const;

signals:
    void NECommandEnqueuedSignal(const NECommand &command);
    void NECommandSentSignal(const NECommand &command);
    void NECommandProgressSignal(const NECommand &command);
    void NECommandExecutedSignal(const NECommand &command);
    void NECommandExecutionStatusSignal(AXOCommData::CommandEvent cmdEvent, const NECommand &command);
    void NEMachineDriverStatusChangedSignal(int driverID, const MachineID &machineID);

private:
    explicit AXOCommData(QObject *parent = nullptr);
    ~AXOCommData() override;

    struct ThreadKey
    {
        int driverID;
        MachineID machineID;
        int threadType;
        bool operator==(const ThreadKey &other) const
        {
            return driverID == other.driverID && machineID == other.machineID && threadType == other.threadType;
        }
    };
    friend uint qHash(const ThreadKey &key, uint seed);

    static AXOCommData *m_Instance;

    std::unique_ptr<NECommandQueueManager> m_queueManager;
    NEDriverParamsList m_driverParams;
    QSet<ThreadKey> m_threads;

    mutable QMutex m_threadMutex;
    mutable QMutex m_queueMutex;
    mutable QMutex m_paramMutex;
};

Q_DECLARE_METATYPE(AXOCommData::CommandEvent)

#endif // AXOCOMMDATA_H
