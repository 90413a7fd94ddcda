#ifndef HOSTSPY_H
#define HOSTSPY_H

// A signal spy for the library's signals as a host application receives
// them: in the thread that made the spy, directly when the signal is emitted
// there and through a queued connection when it comes from a library thread.
// (QSignalSpy records in the emitting thread, which races with a test that
// reads it meanwhile.)

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QVariant>

class HostSpy : public QList<QList<QVariant>>
{
public:
    template<typename Sender, typename Signal>
    HostSpy(const Sender *sender, Signal signal)
    {
        QObject::connect(sender, signal, &m_context,
                         [this](const auto &...args) { append(QList<QVariant> { QVariant::fromValue(args)... }); });
    }
    HostSpy(const HostSpy &) = delete;
    HostSpy &operator=(const HostSpy &) = delete;

    //! Delivers what is queued, then waits at most ms for one more signal.
    bool wait(int ms = 5000)
    {
        const int before = size();
        QElapsedTimer timer;
        timer.start();
        while (size() == before && timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return size() > before;
    }
    //! Delivers what is queued so far.
    HostSpy &flush()
    {
        QCoreApplication::processEvents();
        return *this;
    }

private:
    QObject m_context;
};

#endif // HOSTSPY_H
