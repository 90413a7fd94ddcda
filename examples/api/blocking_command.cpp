// Blocking commands: one that succeeds and whose answer is read, one the
// catalogue does not know, and one the driver refuses, with its error records.
//
//   blocking_command HOST:PORT

#include <AXOComm/AXOComm.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>

#include <cstdio>
#include <functional>

namespace {

//! Runs the host thread's events until the condition holds (at most ms).
bool runEventsUntil(const std::function<bool()> &condition, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

bool readVersion(int driverID)
{
    // A driver-level command travels through the generic dispenser machine {0, 1}.
    NECommand cmd(driverID, MachineID(0, MachineID::Dispenser), QStringLiteral("GET_SW_VERSION"));
    // blocking: returns once the command has ended; copy has no meaning here.
    // True means "it could be run", not "it succeeded": ask the command.
    if (!NECmdManager::executeCommand(&cmd, /*blocking*/ true, /*copy*/ false))
        return false;
    // The answer is a copy the caller owns; null when there is none or of another class.
    const std::unique_ptr<GetSwVersionAnswer> answer = cmd.answerAs<GetSwVersionAnswer>();
    if (!cmd.isDoneSuccessfully() || !answer)
        return false;
    std::printf("GET_SW_VERSION: %s, driver version %s\n",
                qPrintable(CmdStatus::getDescription(cmd.executionStatus().status())),
                qPrintable(answer->versionText()));
    return cmd.cmdState() == NECommand::NECmdExecuted;
}

bool unknownCommand(int driverID)
{
    // A name the catalogue does not know cannot even be built.
    try {
        NECommand cmd(driverID, MachineID(0, MachineID::Dispenser), QStringLiteral("NO_SUCH_COMMAND"));
    } catch (const FW_Exception &e) {
        std::printf("NO_SUCH_COMMAND not built: %s\n", qPrintable(e.error().errorText()));
        return true;
    }
    return false;
}

bool refusedCommand(int driverID)
{
    // A service-level command in an operator's session (the access level the
    // client settings give by default): the driver refuses it.
    const MachineID dispenser(1, MachineID::Dispenser);
    NECommand cmd(driverID, dispenser, QStringLiteral("GET_DEVICE_PARAMS"));
    if (!NECmdManager::executeCommand(&cmd, true, false))
        return false;
    std::printf("GET_DEVICE_PARAMS: %s\n", qPrintable(CmdStatus::getDescription(cmd.executionStatus().status())));
    for (const FW_Error &error : cmd.errors())
        std::printf("  command error %s (%s)\n", qPrintable(error.errorText()),
                    qPrintable(FW_Error::typeName(error.errorType())));
    // The same records are added to the machine's list in the store.
    const FW_ErrorList stored = AXOCommData::instance()->getErrorList(driverID, dispenser);
    for (const FW_Error &error : cmd.errors())
        if (!stored.contains(error))
            return false;
    return cmd.isFailed() && cmd.hasErrors();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList endpoint = QString::fromLocal8Bit(argc == 2 ? argv[1] : "").split(QLatin1Char(':'));
    if (endpoint.size() != 2) {
        std::fprintf(stderr, "usage: blocking_command HOST:PORT\n");
        return 2;
    }

    AXOCommData *store = AXOCommData::instance();
    const int driverID = store->getNextDriverID();
    const AXODriverConnection connection(endpoint.at(0), endpoint.at(1).toInt());
    bool ok = AXOCommManager::instance()->startAXODriverComm(QStringLiteral("api-example"), connection,
                                                             AXOCommData::CommLevel1, /*mixerMngm*/ true);
    // Dispenser 1 takes commands once the reactions to the driver's machine
    // list have started its threads (in this thread's event loop).
    ok = ok && runEventsUntil([&] { return store->isActiveDispenser(driverID, 1); }, 5000);
    ok = ok && readVersion(driverID);
    ok = ok && unknownCommand(driverID);
    ok = ok && refusedCommand(driverID);

    AXOCommManager::instance()->stopDriversComm(-1, true);
    AXOCommManager::drop();
    AXOCurrentCommData::drop();
    AXOCommData::drop();
    std::printf("%s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
