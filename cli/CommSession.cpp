#include "CommSession.h"

#include "AXOComm.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtNetwork/QHostAddress>

#include <algorithm>

CommSession::~CommSession()
{
    stop();
}

bool CommSession::start(const QString &host, int port, int level)
{
    AXOCommManager *manager = AXOCommManager::instance();
    QMetaObject::Connection started;
    QMetaObject::Connection completed;
    if (m_printer) {
        // Both are emitted in this thread, by the start itself.
        started = QObject::connect(manager, &AXOCommManager::CommTaskStarted, [this](AXOCommManager::CommTasks task) {
            m_printer(QStringLiteral("%1 ...").arg(AXOCommManager::CommTaskStr(task)));
        });
        completed = QObject::connect(
            manager, &AXOCommManager::CommTaskCompleted,
            [this](AXOCommManager::CommTasks task, bool result, AXOCommManager::CommMgsID msgID) {
                m_printer(QStringLiteral("%1: %2 (%3)")
                              .arg(AXOCommManager::CommTaskStr(task), QLatin1String(result ? "done" : "FAILED"),
                                   AXOCommManager::CommMgsIDStr(msgID)));
            });
    }
    // What startAXODriverEncryptedOrNot does, except that the certificate
    // file is written only for TLS and removed again at the stop.
    AXODriverConnection connection;
    connection.setDefaults();
    connection.setHostAddress(QHostAddress(host));
    connection.setPort(port);
    if (AXOClientSettings::useOpenSsl()) {
        m_certPath = manager->getCertsFilePath();
        connection.setCertsPath(m_certPath);
    }
    m_driverID = AXOCommData::instance()->getNextDriverID();
    m_started = true;
    const bool ok = manager->startAXODriverComm(QStringLiteral("axocomm"), connection,
                                                static_cast<AXOCommData::CommLevel>(level), true);
    QObject::disconnect(started);
    QObject::disconnect(completed);
    return ok;
}

QList<MachineID> CommSession::waitForActiveMachines(int timeoutMs) const
{
    // The active-machines thread's first answer comes right after the start.
    AXOCurrentCommData *current = AXOCurrentCommData::instance();
    QElapsedTimer timer;
    timer.start();
    while (current->getActiveMachineIDs(MachineID::AllTypes).isEmpty() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return current->getActiveMachineIDs(MachineID::AllTypes);
}

void CommSession::stop()
{
    if (m_stopped || !m_started)
        return;
    m_stopped = true;
    stopBackgroundThreads();
    logoutSessions();
    AXOCommManager::instance()->stopDriversComm(-1, true);
    AXOCommManager::drop();
    AXOCurrentCommData::drop();
    AXOCommData::drop();
    if (!m_certPath.isEmpty())
        QFile::remove(m_certPath);
}

void CommSession::stopBackgroundThreads()
{
    // A polling or configuration thread that found no session would log the
    // driver's machines in again behind the logouts: they go first. The
    // standard and priority command threads stay for the logouts.
    AXOCommData *store = AXOCommData::instance();
    for (int type = 0; type < NEDriverParams::NumOfDriverThreadTypes; ++type) {
        if (type == NEDriverParams::StandardCommandsThread || type == NEDriverParams::PriorityCommandsThread)
            continue;
        const auto threadType = static_cast<NEDriverParams::DriverThreadTypes>(type);
        for (const MachineID &machine : store->getDriverCommThreadMachineIDs(m_driverID, threadType))
            store->stopDriverCommThread(m_driverID, machine, threadType, true, true, true);
    }
}

void CommSession::logoutSessions()
{
    // The machines' own sessions first, the generic ones (number 0) last.
    AXOCommData *store = AXOCommData::instance();
    QList<MachineID> machines;
    for (const Session &session : store->getSessionList())
        if (session.driverID() == m_driverID)
            machines.append(session.machineID());
    std::sort(machines.begin(), machines.end(),
              [](const MachineID &a, const MachineID &b) { return a.machineNumber > b.machineNumber; });
    for (const MachineID &machine : machines)
        NECmdManager::logout(m_driverID, machine);
}
