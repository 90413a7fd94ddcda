#ifndef SIMEVENTSCRIPT_H
#define SIMEVENTSCRIPT_H

#include "SimEvent.h"

#include <QtCore/QList>

#include <chrono>

//! The scripted events of a scenario on the simulated driver's clock: each
//! is due atMs() after the first start(); takeDue() hands out the events
//! whose time has come, in time order (events of the same time in the order
//! they were listed), each once.
//!
//! A plain value without a lock: SimDriverModel keeps it under its mutex,
//! takes the due events whenever it looks at its state and wakes waiting
//! calls at nextTime(), so a held poll sees an event as it happens.
class SimEventScript
{
public:
    typedef std::chrono::steady_clock Clock;

    explicit SimEventScript(const QList<SimEvent> &events = QList<SimEvent>());

    //! Starts the clock; later calls keep the first start.
    void start(Clock::time_point now);
    bool isStarted() const { return m_started; }
    //! The events due at now that were not handed out yet; none before start().
    QList<SimEvent> takeDue(Clock::time_point now);
    //! When the next event is due; max() when none is left or not started.
    Clock::time_point nextTime() const;
    //! Events not handed out yet.
    int pending() const { return m_events.size() - m_next; }

private:
    QList<SimEvent> m_events;
    int m_next = 0;
    bool m_started = false;
    Clock::time_point m_origin;
};

#endif // SIMEVENTSCRIPT_H
