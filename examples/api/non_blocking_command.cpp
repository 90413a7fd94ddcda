// Non-blocking commands: a formula dispensed while the host's event loop goes
// on, followed through the store's command signals, and a short command sent
// as a copy that the caller forgets at once.
//
//   non_blocking_command HOST:PORT

#include <AXOComm/AXOComm.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QThread>

#include <cstdio>
#include <functional>

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

    // The command signals are emitted in whichever thread moves the command
    // on (the caller, a worker of the library's pool, a driver thread). A
    // receiver with a context object living in the host's thread gets them
    // queued to that thread, each with its own copy of the command.
    QObject receiver;
    int executedTint = 0;
    int elsewhere = 0;
    QObject::connect(store, &AXOCommData::NECommandExecutionStatusSignal, &receiver,
                     [&](AXOCommData::CommandEvent event, const NECommand &cmd) {
                         if (cmd.driverID() != driverID)
                             return;
                         if (QThread::currentThread() != receiver.thread())
                             ++elsewhere;
                         const CmdStatus status = cmd.executionStatus();
                         std::printf("%-14s %-9s %3d%%  %s\n", qPrintable(cmd.command()), eventText(event),
                                     status.percentage(), qPrintable(CmdStatus::getDescription(status.status())));
                         if (event == AXOCommData::CommandExecuted && cmd.command() == QLatin1String("TINT"))
                             ++executedTint;
                     });

    if (ok) {
        // 1 cc from circuit 1, levels checked, at most 4 circuits at once.
        const Formula formula(QList<ChannelIngredient>{ChannelIngredient(1, QString(), 1.0)}, Formula::CheckLevels, 4);
        NECommand tint(driverID, MachineID(1, MachineID::Dispenser), QStringLiteral("TINT"),
                       QList<QVariant>{QVariant::fromValue(formula)});
        // Without copy the library works on this very object: it must live,
        // untouched, until its state is final.
        ok = NECmdManager::executeCommand(&tint, /*blocking*/ false, /*copy*/ false);
        ok = ok && runEventsUntil([&] {
                 const NECommand::NECmdState state = tint.cmdState();
                 return state == NECommand::NECmdExecuted || state == NECommand::NECmdAborted;
             }, 10000);
        // The executed signal is still on its way to this thread.
        ok = ok && runEventsUntil([&] { return executedTint == 1; }, 2000);
        ok = ok && tint.isDoneSuccessfully();
        std::printf("TINT ended: %s\n", qPrintable(CmdStatus::getDescription(tint.executionStatus().status())));
    }

    if (ok) {
        // With copy the library works on a copy of its own: the caller's
        // object may go at once. Its signals carry the copy.
        int versionEvents = 0;
        QObject::connect(store, &AXOCommData::NECommandExecutedSignal, &receiver, [&](const NECommand &cmd) {
            if (cmd.command() == QLatin1String("GET_SW_VERSION"))
                ++versionEvents;
        });
        {
            NECommand version(driverID, MachineID(0, MachineID::Dispenser), QStringLiteral("GET_SW_VERSION"));
            ok = NECmdManager::executeCommand(&version, false, /*copy*/ true);
        }
        ok = ok && runEventsUntil([&] { return versionEvents == 1; }, 5000);
    }

    AXOCommManager::instance()->stopDriversComm(-1, true);
    AXOCommManager::drop();
    AXOCurrentCommData::drop();
    AXOCommData::drop();
    ok = ok && elsewhere == 0;
    std::printf("%s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
