#ifndef SIGNALWATCHER_H
#define SIGNALWATCHER_H

#include <QtCore/QObject>

class QSocketNotifier;

//! Turns SIGINT and SIGTERM into a Qt signal in the main thread. The
//! handler only writes the signal's number into a pipe of its own; the
//! read end is watched by a socket notifier, so everything else happens in
//! the event loop (or in poll(), for code that blocks without one). One
//! instance at a time; the handlers are put back when it goes. A second
//! signal ends the program at once with status 128 + its number.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    //! The instance of the program; null when there is none.
    static SignalWatcher *current();
    //! Whether the instance of the program (if any) received a signal.
    static bool pending();

    //! Reads what the handler wrote meanwhile, without the event loop;
    //! true once a signal arrived.
    bool poll();
    bool isInterrupted() const { return m_signal != 0; }
    //! The number of the first signal received; 0 before one.
    int signalNumber() const { return m_signal; }

signals:
    //! Emitted once per signal received.
    void interrupted(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
    int m_signal = 0;
};

#endif // SIGNALWATCHER_H
