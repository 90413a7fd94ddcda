#include "SimEventScript.h"

#include <algorithm>

SimEventScript::SimEventScript(const QList<SimEvent> &events) : m_events(events)
{
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const SimEvent &a, const SimEvent &b) { return a.atMs() < b.atMs(); });
}

void SimEventScript::start(Clock::time_point now)
{
    if (m_started)
        return;
    m_started = true;
    m_origin = now;
}

QList<SimEvent> SimEventScript::takeDue(Clock::time_point now)
{
    QList<SimEvent> due;
    while (m_started && m_next < m_events.size()
           && m_origin + std::chrono::milliseconds(m_events.at(m_next).atMs()) <= now)
        due.append(m_events.at(m_next++));
    return due;
}

SimEventScript::Clock::time_point SimEventScript::nextTime() const
{
    if (!m_started || m_next >= m_events.size())
        return Clock::time_point::max();
    return m_origin + std::chrono::milliseconds(m_events.at(m_next).atMs());
}
