// Non-blocking commands: a formula dispensed while the host's thread goes on,
// followed through the store's command signals, and a short command sent as a
// copy that the caller forgets at once.
//
//   non_blocking_command HOST:PORT

#include <AXOComm/AXOComm.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QThread>

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace {

bool runEventsUntil(const std::function<bool()> &condition, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

const char *eventText(AXOCommData::CommandEvent event)
{
    switch (event) {
    case AXOCommData::CommandEnqueued:
        return "enqueued";
    case AXOCommData::CommandSent:
        return "sent";
    case AXOCommData::CommandProgress:
        return "progress";
    case AXOCommData::CommandExecuted:
        return "executed";
    }
    return "?";
}

//! The command signals of one driver, recorded in the thread that emits them
//! (a direct connection) under a lock, and read by the host's thread. The
//! receiver runs while a library thread waits for it, so it only copies.
class CommandLog
{
public:
    struct Entry
    {
        AXOCommData::CommandEvent event;
        std::string command;
        int status;
        int percentage;
        bool inHostThread;
    };

    CommandLog(AXOCommData *store, int driverID) : m_host(QThread::currentThread())
    {
        m_connection = QObject::connect(
            store, &AXOCommData::NECommandExecutionStatusSignal, &m_context,
            [this, driverID](AXOCommData::CommandEvent event, const NECommand &cmd) {
                if (cmd.driverID() != driverID)
                    return;
                const CmdStatus status = cmd.executionStatus();
                Entry entry{event, cmd.command().toStdString(), status.status(), status.percentage(),
                            QThread::currentThread() == m_host};
                const std::lock_guard<std::mutex> locker(m_mutex);
                m_entries.push_back(std::move(entry));
            },
            Qt::DirectConnection);
    }
    ~CommandLog() { QObject::disconnect(m_connection); }

    //! The entries recorded since the last call.
    std::vector<Entry> take()
    {
        const std::lock_guard<std::mutex> locker(m_mutex);
        std::vector<Entry> taken;
        taken.swap(m_entries);
        return taken;
    }

private:
    QThread *const m_host;
    QObject m_context;
    QMetaObject::Connection m_connection;
    std::mutex m_mutex;
    std::vector<Entry> m_entries; // guarded by m_mutex
};

//! Prints what was recorded; counts the executed signals of the named command.
int show(CommandLog &log, const char *name)
{
    int executed = 0;
    for (const CommandLog::Entry &entry : log.take()) {
        std::printf("%-22s %-9s %3d%%  %-16s (%s thread)\n", entry.command.c_str(), eventText(entry.event),
                    entry.percentage, qPrintable(CmdStatus::getDescription(entry.status)),
                    entry.inHostThread ? "host" : "library");
        if (entry.event == AXOCommData::CommandExecuted && entry.command == name)
            ++executed;
    }
    return executed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList endpoint = QString::fromLocal8Bit(argc == 2 ? argv[1] : "").split(QLatin1Char(':'));
    if (endpoint.size() != 2) {
        std::fprintf(stderr, "usage: non_blocking_command HOST:PORT\n");
        return 2;
    }

    AXOCommData *store = AXOCommData::instance();
    const int driverID = store->getNextDriverID();
    const AXODriverConnection connection(endpoint.at(0), endpoint.at(1).toInt());
    bool ok = AXOCommManager::instance()->startAXODriverComm(QStringLiteral("api-example"), connection,
                                                             AXOCommData::CommLevel1, /*mixerMngm*/ true);
    ok = ok && runEventsUntil([&] { return store->isActiveDispenser(driverID, 1); }, 5000);

    // The command signals come from whichever thread moves a command on: the
    // caller's, a worker of the library's pool, a driver thread, a polling
    // thread (its answers travel as executed commands).
    CommandLog log(store, driverID);

    if (ok) {
        // The driver's settings, read into the store, say whether it simulates
        // its machines; for such a driver the library follows a formula by its
        // ticket alone, without asking how the driver will run it (which a
        // dispensing command on real hardware does while it is built and
        // enqueued, blocking).
        DriverSettings settings;
        ok = NECmdManager::getDriverSettings(driverID, settings);
        std::printf("the driver %s\n", settings.simulationMode() ? "simulates its machines" : "runs real machines");
    }

    if (ok) {
        // 1 cc from circuit 1, levels checked, at most 4 circuits at once.
        const Formula formula(QList<ChannelIngredient>{ChannelIngredient(1, QString(), 1.0)}, Formula::CheckLevels, 4);
        NECommand tint(driverID, MachineID(1, MachineID::Dispenser), QStringLiteral("TINT"),
                       QList<QVariant>{QVariant::fromValue(formula)});
        // Without copy the library works on this very object: it must live,
        // untouched, until its state is final.
        ok = NECmdManager::executeCommand(&tint, /*blocking*/ false, /*copy*/ false);
        int executed = 0;
        ok = ok && runEventsUntil([&] {
                 executed += show(log, "TINT");
                 const NECommand::NECmdState state = tint.cmdState();
                 return executed == 1 && (state == NECommand::NECmdExecuted || state == NECommand::NECmdAborted);
             }, 10000);
        ok = ok && tint.isDoneSuccessfully();
        std::printf("TINT ended: %s\n", qPrintable(CmdStatus::getDescription(tint.executionStatus().status())));
    }

    if (ok) {
        // With copy the library works on a copy of its own: the caller's
        // object may go at once. The signals carry the copy.
        {
            NECommand version(driverID, MachineID(0, MachineID::Dispenser), QStringLiteral("GET_SW_VERSION"));
            ok = NECmdManager::executeCommand(&version, false, /*copy*/ true);
        }
        int executed = 0;
        ok = ok && runEventsUntil([&] { return (executed += show(log, "GET_SW_VERSION")) == 1; }, 5000);
    }

    AXOCommManager::instance()->stopDriversComm(-1, true);
    AXOCommManager::drop();
    AXOCurrentCommData::drop();
    AXOCommData::drop();
    std::printf("%s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
