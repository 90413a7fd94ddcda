#include "SimDataState.h"

#include "SimScenario.h"

const char *const SimDataState::StatsDbName = "stats.db";

SimDataState::SimDataState(const SimScenario &scenario)
    : m_started(QDateTime::currentDateTimeUtc())
{
    logLocked(QStringLiteral("Driver %1 started").arg(scenario.driverVersion()));
}

qint64 SimDataState::upTimeSeconds() const
{
    return m_started.secsTo(QDateTime::currentDateTimeUtc()); // m_started never changes
}

void SimDataState::storeFile(const QString &name, const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_files.insert(name, bytes);
    logLocked(QStringLiteral("Database file %1 stored (%2 bytes)").arg(name).arg(bytes.size()));
}

bool SimDataState::file(const QString &name, QByteArray *bytes) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_files.constFind(name);
    if (it == m_files.constEnd())
        return false;
    *bytes = *it;
    return true;
}

void SimDataState::log(const QString &line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    logLocked(line);
}

void SimDataState::logLocked(const QString &line)
{
    m_log.append(QStringLiteral("%1 %2").arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs), line));
    while (m_log.size() > LogLines)
        m_log.removeFirst();
}

QByteArray SimDataState::logFile() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return (m_log.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

UssWaterChangeStatus SimDataState::ussStatus(int dispenser) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_uss.value(dispenser, UssWaterChangeStatus(QDateTime(), 0, UssCycleLimit, false));
}

void SimDataState::ussWaterChanged(int dispenser, const QDateTime &now)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_uss.insert(dispenser, UssWaterChangeStatus(now, 0, UssCycleLimit, false));
    logLocked(QStringLiteral("Dispenser %1: ultrasonic cleaner water changed").arg(dispenser));
}

void SimDataState::ussCycle(int dispenser)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const UssWaterChangeStatus old = m_uss.value(dispenser, UssWaterChangeStatus(QDateTime(), 0, UssCycleLimit, false));
    const int cycles = old.cycles() + 1;
    m_uss.insert(dispenser, UssWaterChangeStatus(old.lastChange(), cycles, old.cyclesLimit(),
                                                 old.cyclesLimit() > 0 && cycles >= old.cyclesLimit()));
}

void SimDataState::setInterrupted(int dispenser, const Formula &remaining)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (remaining.isEmpty()) {
        m_interrupted.remove(dispenser);
        return;
    }
    m_interrupted.insert(dispenser, remaining);
    logLocked(QStringLiteral("Dispenser %1: formula interrupted, %2 ingredients left")
                  .arg(dispenser)
                  .arg(remaining.numOfItems()));
}

void SimDataState::clearInterrupted(int dispenser)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_interrupted.remove(dispenser);
}

Formula SimDataState::interrupted(int dispenser, bool forget)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Formula formula = m_interrupted.value(dispenser);
    if (forget)
        m_interrupted.remove(dispenser);
    return formula;
}
