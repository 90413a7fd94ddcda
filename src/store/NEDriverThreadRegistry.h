#ifndef NEDRIVERTHREADREGISTRY_H
#define NEDRIVERTHREADREGISTRY_H

#include "AXOCommGlobal.h"
#include "MachineID.h"
#include "NEDriverParams.h"
#include "QueueType.h"

#include <QtCore/QList>
#include <QtCore/QMutex>
#include <QtCore/QPair>
#include <QtCore/QReadWriteLock>

#include <functional>

class AXOCommData;
class NEXmlRpcThread;

//! The driver communication threads of the data store: one per driver,
//! machine and thread type, created with their command queue, started and
//! stopped with nested counts, paused, found, and closed driver by driver.
//!
//! Two locks: the registry lock serialises every change of a thread's life
//! (creation, start, stop, pause) and is taken before the store's parameter
//! and queue locks; a leaf read/write lock guards the list's structure alone,
//! so that look-ups from any thread (enqueueing runs under the queue lock)
//! never race with a change. No lock is held while a driver answers.
//!
//! A thread is never terminated by force and never deleted while it runs: a
//! stopped thread that has not ended yet is retired and deleted once it has.
class NEDriverThreadRegistry
{
public:
    explicit NEDriverThreadRegistry(AXOCommData *store);
    ~NEDriverThreadRegistry();

    NEDriverThreadRegistry(const NEDriverThreadRegistry &) = delete;
    NEDriverThreadRegistry &operator=(const NEDriverThreadRegistry &) = delete;

    bool create(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes type);
    //! Creates when needed, then starts; a thread still winding down from a
    //! stop is replaced by a fresh one, so a start always leaves one running.
    bool start(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes type);
    bool stop(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes type, bool wait,
              bool force, bool remove);
    bool setPaused(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes type, bool paused);
    bool isActive(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes type) const;
    //! The thread of that key, valid only while the list does not change
    //! (the registry's own operations, or under the caller's care).
    NEXmlRpcThread *find(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes type) const;
    //! Runs f on the thread of that key while the list is held unchanged;
    //! false when there is none, else what f gives. f must not call the registry.
    bool withThread(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes type,
                    const std::function<bool(NEXmlRpcThread *)> &f) const;
    //! The driver parameters the thread of that key uses; false when none.
    bool threadParams(int driverID, const MachineID &machineID, NEDriverParams::DriverThreadTypes type,
                      NEDriverParams *params) const;
    QList<MachineID> machineIDs(int driverID, NEDriverParams::DriverThreadTypes type) const;
    //! The command thread that drains that queue, claimed for the caller
    //! (NEXmlRpcThread::tryClaimForCaller); null when it is busy or absent.
    NEXmlRpcThread *claimIdle(int driverID, const MachineID &machineID, QueueType queueType) const;
    //! Wakes the command thread that drains that queue.
    void notifyQueueThread(int driverID, const MachineID &machineID, QueueType queueType) const;
    //! Stops every thread of the driver (-1: all) in parallel; they leave the
    //! list and are deleted once ended (at once with wait, when they do).
    void closeDriver(int driverID, bool wait);
    //! Library shut-down: stops every thread; deleteEnded() follows once
    //! nothing uses them any more.
    void stopAll();
    //! Deletes every thread that ends within ms; the others are left alone.
    void deleteEnded(unsigned long ms);

private:
    NEXmlRpcThread *createThreadObject(const NEDriverParams &params, const MachineID &machineID,
                                       NEDriverParams::DriverThreadTypes type) const;
    bool waitForThread(NEXmlRpcThread *thread, unsigned long ms) const;
    //! Takes the retired threads that have ended out of the list; the
    //! caller holds m_mutex.
    QList<NEXmlRpcThread *> takeEnded();
    //! Deletes them; the caller does not hold m_mutex.
    static void deleteThreads(const QList<NEXmlRpcThread *> &threads);
    void removeFromList(NEXmlRpcThread *thread);
    bool queueServed(int driverID, const MachineID &machineID, QueueType queueType) const;

    AXOCommData *m_store;
    QList<QPair<int, NEXmlRpcThread *>> m_threads;
    //! Stopped threads that had not ended yet.
    QList<NEXmlRpcThread *> m_retired;
    mutable QMutex m_mutex;
    mutable QReadWriteLock m_listLock;
};

#endif // NEDRIVERTHREADREGISTRY_H
