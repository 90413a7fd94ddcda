#ifndef NECOMMANDQUEUEMANAGER_H
#define NECOMMANDQUEUEMANAGER_H

#include "AXOCommGlobal.h"
#include "MachineID.h"
#include "NEDriverParams.h"
#include "QueueType.h"

#include <QtCore/QList>

class NECommand;
class NECommandQueue;

//! Owns every command queue and routes each new command to the queue of its
//! driver, machine and kind. Not synchronised: the data store serialises
//! every call with its queue lock.
class AXOCOMM_EXPORT NECommandQueueManager
{
public:
    NECommandQueueManager();
    //! Shallow copy: both managers hold, and delete when destroyed, the same queues.
    NECommandQueueManager(const NECommandQueueManager &other) = default;
    //! Shallow assignment: both managers hold, and delete when destroyed, the same queues.
    NECommandQueueManager &operator=(const NECommandQueueManager &other) = default;
    ~NECommandQueueManager();

    //! Creates the queue unless one with that key exists.
    void addCommandQueue(int driverID, const MachineID &machineID, QueueType type);
    //! Appends the queue and takes it over, without any check.
    void addCommandQueue(NECommandQueue *queue);
    //! The queue of a command: stop, priority, configuration, scale or
    //! standard queue of its machine, else of the driver. Null when its
    //! command thread does not exist or no queue takes it.
    NECommandQueue *routeQueue(const NECommand *command) const;
    //! Appends the command to its queue (routeQueue); false when none takes
    //! it. queue, when given, tells which queue took it.
    bool addItem(NECommand *command, NECommandQueue **queue = nullptr);
    //! Takes a waiting command out of whichever queue holds it.
    bool removeItem(NECommand *command);
    //! Ends the waiting commands "interrupted", without a failure record.
    bool clearCommandQueue(int driverID, const MachineID &machineID, QueueType type);
    //! Whether a queue with that key exists.
    bool existCommandQueue(int driverID, const MachineID &machineID, QueueType type) const;
    //! The first queue with that key; null when none.
    NECommandQueue *getCommandQueue(int driverID, const MachineID &machineID, QueueType type) const;
    //! Every queue, owned by the manager.
    QList<NECommandQueue *> getCommandQueues() const { return m_queues; }
    //! Number of queues.
    int numOfCommandQueues() const { return m_queues.size(); }
    //! Fails the waiting commands ("TE00486") and deletes the driver's
    //! queues; -1: every queue.
    void removeAllCommandQueues(int driverID);
    //! Deletes the last queue with that key; its waiting commands fail
    //! ("TE00486").
    bool removeCommandQueue(int driverID, const MachineID &machineID, QueueType type);

    //! The queue type a command goes to (before checking its thread).
    static QueueType routeQueueType(const NECommand &command);
    //! The queue type a command thread type serves; NoQueue for an unknown thread type.
    static QueueType getQueueType(NEDriverParams::DriverThreadTypes threadType);
    //! The command thread type serving a queue type; the standard thread for NoQueue.
    static NEDriverParams::DriverThreadTypes getThreadType(QueueType type);

private:
    QList<NECommandQueue *> m_queues;
};

#endif // NECOMMANDQUEUEMANAGER_H
