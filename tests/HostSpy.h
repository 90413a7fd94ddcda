#ifndef HOSTSPY_H
#define HOSTSPY_H

// A signal spy that may be read while library threads emit: QSignalSpy
// records in the emitting thread without a lock, which races with a test
// that reads it meanwhile. This one records under a lock, in whichever thread
// emits, and its readers take a snapshot.

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QList>
#include <QtCore/QMutex>
#include <QtCore/QObject>
#include <QtCore/QVariant>

class HostSpy
{
public:
    template<typename Sender, typename Signal>
    HostSpy(const Sender *sender, Signal signal)
    {
        m_connection = QObject::connect(
            sender, signal, &m_context,
            [this](const auto &...args) {
                const QList<QVariant> recorded { QVariant::fromValue(args)... };
                QMutexLocker locker(&m_mutex);
                m_records.append(recorded);
            },
            Qt::DirectConnection);
    }
    ~HostSpy() { QObject::disconnect(m_connection); }
    HostSpy(const HostSpy &) = delete;
    HostSpy &operator=(const HostSpy &) = delete;

    int size() const
    {
        QMutexLocker locker(&m_mutex);
        return m_records.size();
    }
    //! What was recorded so far.
    QList<QList<QVariant>> records() const
    {
        // A list of its own, not one sharing the recorded list's array: the
        // recorder grows that array in place once the copy is gone, and the
        // copy's release happens inside Qt, where the race detector cannot
        // see it.
        QMutexLocker locker(&m_mutex);
        QList<QList<QVariant>> copy;
        copy.reserve(m_records.size());
        for (const QList<QVariant> &record : m_records)
            copy.append(record);
        return copy;
    }
    QList<QVariant> at(int i) const { return records().at(i); }
    //! Waits at most ms for one more signal, keeping this thread's events going.
    bool wait(int ms = 5000)
    {
        const int before = size();
        QElapsedTimer timer;
        timer.start();
        while (size() == before && timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return size() > before;
    }

private:
    mutable QMutex m_mutex;
    QList<QList<QVariant>> m_records;
    QObject m_context;
    QMetaObject::Connection m_connection;
};

#endif // HOSTSPY_H
