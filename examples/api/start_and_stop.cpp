// Starts the communication with the driver at HOST:PORT the way a service
// application does, prints each phase as it happens and the machines the
// driver reports, then stops everything again.
//
//   start_and_stop HOST:PORT

#include <AXOComm/AXOComm.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    // The library's reactions to the driver run in the thread that first
    // asked for the data store, through its event loop: a Qt application
    // object first, in the host's main thread.
    QCoreApplication app(argc, argv);
    const QStringList endpoint = QString::fromLocal8Bit(argc == 2 ? argv[1] : "").split(QLatin1Char(':'));
    if (endpoint.size() != 2) {
        std::fprintf(stderr, "usage: start_and_stop HOST:PORT\n");
        return 2;
    }

    AXOCommManager *manager = AXOCommManager::instance();
    AXOCommData *store = AXOCommData::instance();

    // Both signals are emitted in the thread that calls the start, while it
    // runs: lambdas without a context object (direct connections) will do.
    QObject::connect(manager, &AXOCommManager::CommTaskStarted, [](AXOCommManager::CommTasks task) {
        std::printf("%s ...\n", qPrintable(AXOCommManager::CommTaskStr(task)));
    });
    QObject::connect(manager, &AXOCommManager::CommTaskCompleted,
                     [](AXOCommManager::CommTasks task, bool ok, AXOCommManager::CommMgsID message) {
                         std::printf("%s: %s (%s)\n", qPrintable(AXOCommManager::CommTaskStr(task)),
                                     ok ? "done" : "FAILED", qPrintable(AXOCommManager::CommMgsIDStr(message)));
                     });

    // The start does not return the driver's ID: it is the next free one.
    const int driverID = store->getNextDriverID();
    // Blocks this thread for the whole start (tens of ms on a local driver).
    // Mixers managed, plain HTTP. startAXODriverEncryptedOrNot(clientID, host,
    // port, level) is the same with TLS when the client settings ask for it.
    const bool started = manager->startAXODriverComm(QStringLiteral("api-example"),
                                                      AXODriverConnection(endpoint.at(0), endpoint.at(1).toInt()),
                                                      AXOCommData::CommLevel1, /*mixerMngm*/ true);
    if (!started) {
        // Why: the records on the driver's generic dispenser machine.
        for (const FW_Error &error : store->getErrorList(driverID, MachineID(0, MachineID::Dispenser)))
            std::printf("error %s\n", qPrintable(error.errorText()));
    } else {
        // The machines arrive a moment later from the active-machines thread;
        // the store learns them in this thread, while its event loop runs.
        QEventLoop loop;
        QObject::connect(store, &AXOCommData::NEMachineStatusListChanged, &loop, [&](int driver) {
            if (driver == driverID && !store->getActiveMachineIDs(driverID, MachineID::AllTypes).isEmpty())
                loop.quit();
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        if (store->getActiveMachineIDs(driverID, MachineID::AllTypes).isEmpty())
            loop.exec();

        QVersionNumber version;
        store->getDriverVersion(driverID, version);
        std::printf("driver %d, version %s\n", driverID, qPrintable(version.toString()));
        for (const MachineID &machine : store->getActiveMachineIDs(driverID, MachineID::AllTypes))
            std::printf("active: %s %d\n", qPrintable(machine.typeText()), machine.machineNumber);
        // The start chose the current machine for the screens of the host.
        const MachineID current = AXOCurrentCommData::instance()->currentMachineID();
        std::printf("current machine: %s %d\n", qPrintable(current.typeText()), current.machineNumber);
    }

    // Stops the threads of every driver (-1), waiting for them; then the
    // singletons go, the facade and the manager before the store.
    manager->stopDriversComm(-1, true);
    AXOCommManager::drop();
    AXOCurrentCommData::drop();
    AXOCommData::drop();
    return started ? 0 : 1;
}
