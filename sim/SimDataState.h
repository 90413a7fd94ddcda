#ifndef SIMDATASTATE_H
#define SIMDATASTATE_H

#include "Formula.h"
#include "UssWaterChangeStatus.h"

#include <QtCore/QByteArray>
#include <QtCore/QDateTime>
#include <QtCore/QMap>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include <mutex>

class SimScenario;

//! What the simulated driver keeps beside its machines' state: its files
//! (database files by name, the log, the settings file), the water status
//! of each dispenser's ultrasonic cleaner and the remains of the last
//! formula each dispenser did not dispense to its end.
//!
//! Guarded by a mutex of its own; SimDriverModel calls in while holding its
//! own lock (never the other way round), so any thread may use it.
class SimDataState
{
public:
    //! The name under which SETDBFILE stores the file it is given.
    static const char *const StatsDbName;
    //! Cleaning cycles after which the cleaner's water must be changed.
    static const int UssCycleLimit = 50;
    //! Lines of the log kept; older ones are dropped.
    static const int LogLines = 10000;

    explicit SimDataState(const SimScenario &scenario);

    //! Seconds since the driver started.
    qint64 upTimeSeconds() const;

    void storeFile(const QString &name, const QByteArray &bytes);
    //! False when there is no file of that name.
    bool file(const QString &name, QByteArray *bytes) const;
    //! Appends a time-stamped line to the log.
    void log(const QString &line);
    QByteArray logFile() const;

    UssWaterChangeStatus ussStatus(int dispenser) const;
    //! ADD_USS_W_EVENT: the water was changed now.
    void ussWaterChanged(int dispenser, const QDateTime &now);
    //! A cleaning cycle ran (after every formula dispensed).
    void ussCycle(int dispenser);

    //! Remembers what is left of an interrupted formula (replacing an
    //! earlier record); an empty remainder clears the record.
    void setInterrupted(int dispenser, const Formula &remaining);
    void clearInterrupted(int dispenser);
    //! The record (an empty formula when none); with forget it is dropped.
    Formula interrupted(int dispenser, bool forget);

private:
    void logLocked(const QString &line);

    mutable std::mutex m_mutex;
    QDateTime m_started;
    QMap<QString, QByteArray> m_files;
    QStringList m_log;
    QMap<int, UssWaterChangeStatus> m_uss;
    QMap<int, Formula> m_interrupted;
};

#endif // SIMDATASTATE_H
