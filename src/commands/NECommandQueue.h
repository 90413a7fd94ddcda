#ifndef NECOMMANDQUEUE_H
#define NECOMMANDQUEUE_H

#include "AXOCommGlobal.h"
#include "MachineID.h"
#include "QueueType.h"

#include <QtCore/QList>

class NECommand;

//! A first-in first-out queue of commands for one (driver, machine, queue
//! type). The queue never owns its commands.
class AXOCOMM_EXPORT NECommandQueue
{
public:
    NECommandQueue();
    //! A queue for that key; a driver ID below 1 or an unknown type leaves the default (0, NoQueue).
    NECommandQueue(int driverID, const MachineID &machineID, QueueType type);
    //! Copies the key and the waiting command pointers.
    NECommandQueue(const NECommandQueue &other) = default;
    //! Assigns the key and the waiting command pointers.
    NECommandQueue &operator=(const NECommandQueue &other) = default;
    ~NECommandQueue();

    //! Number of waiting commands.
    int count() const { return m_items.size(); }
    //! The driver of the queue.
    int driverID() const { return m_driverID; }
    //! The machine of the queue.
    MachineID machineID() const { return m_machineID; }
    //! The kind of queue.
    QueueType type() const { return m_type; }
    //! Only values above 0 are taken.
    void setDriverID(int driverID);
    //! Sets machineID().
    void setMachineID(const MachineID &machineID) { m_machineID = machineID; }
    //! Only the five queue types are taken.
    void setType(QueueType type);

    //! Appends; a null command is ignored.
    void addItem(NECommand *command);
    //! Removes and returns the first command; null when empty.
    NECommand *takeFirstItem();
    //! Takes the command out if it is waiting here.
    bool removeItem(NECommand *command) { return m_items.removeOne(command); }
    //! Empties the queue; every waiting command ends "interrupted", without
    //! an error record.
    void clear();
    //! Fails every waiting command ("TE00486") and empties the queue.
    void terminateAllCommands();

    //! Whether the type is one of the five queue types (not NoQueue).
    static bool checkType(QueueType type);

    //! While one lives in a thread, the completion hooks of the commands
    //! that thread ends in a queue run only when it goes: made before a lock
    //! is taken, it runs them after the lock is released.
    class DeferCompletions
    {
    public:
        DeferCompletions();
        ~DeferCompletions();
        DeferCompletions(const DeferCompletions &) = delete;
        DeferCompletions &operator=(const DeferCompletions &) = delete;

    private:
        bool m_owner = false;
    };
    //! The queue a command thread of that type drains: 1 to 4 their own, else 0.
    static QueueType getTypeForCommThread(int threadType);

private:
    int m_driverID;
    MachineID m_machineID;
    QueueType m_type;
    QList<NECommand *> m_items;
};

#endif // NECOMMANDQUEUE_H
