#ifndef QUEUETYPE_H
#define QUEUETYPE_H

//! The command queues of a driver and machine; each is drained by the
//! command thread of the same number.
enum QueueType {
    NoQueue = -1,
    StandardQueue = 0,
    ConfigurationQueue = 1,
    PriorityQueue = 2,
    StopQueue = 3,
    ScaleQueue = 4
};

#endif // QUEUETYPE_H
