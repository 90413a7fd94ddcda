#include "PanelSession.h"

// Not in the umbrella header.
#include <AXOComm/CanisterData.h>

#include <QtConcurrent/QtConcurrentRun>

namespace {

const char kClientID[] = "service-panel";

} // namespace

PanelSession::PanelSession(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<PanelSession::State>("PanelSession::State");
    // The store, the facade and the manager are made here, in the GUI
    // thread: the store's reactions run in the thread it lives in, and the
    // worker that runs the start has no event loop.
    AXOCommData::instance();
    AXOCurrentCommData::instance();
    AXOCommManager::instance();
    followLibrary();
    connect(&m_startWatcher, &QFutureWatcher<bool>::finished, this, &PanelSession::onStartDone);
    connect(&m_stopWatcher, &QFutureWatcher<void>::finished, this, &PanelSession::onStopDone);
    connect(&m_levelsWatcher, &QFutureWatcher<QMap<int, double>>::finished, this, &PanelSession::onLevelsRead);
}

PanelSession::~PanelSession()
{
    m_startWatcher.waitForFinished();
    m_stopWatcher.waitForFinished();
    m_levelsWatcher.waitForFinished();
    if (m_driverID > 0 && m_state != Idle)
        AXOCommManager::instance()->stopDriversComm(m_driverID, true);
}

void PanelSession::followLibrary()
{
    // Every connection is queued: the library emits from its own threads,
    // and the start from the worker that runs it.
    const auto queued = Qt::QueuedConnection;
    AXOCommManager *manager = AXOCommManager::instance();
    connect(manager, &AXOCommManager::CommTaskStarted, this, &PanelSession::taskStarted, queued);
    connect(manager, &AXOCommManager::CommTaskCompleted, this, &PanelSession::taskCompleted, queued);

    AXOCommData *store = AXOCommData::instance();
    auto machines = [this](int driverID) {
        if (forThisDriver(driverID))
            emit machinesChanged();
    };
    connect(store, &AXOCommData::NEMachineStatusListChanged, this, machines, queued);
    connect(store, &AXOCommData::NEDispenserStatusListChanged, this, machines, queued);
    connect(store, &AXOCommData::NEMixerStatusListChanged, this, machines, queued);
    connect(
        store, &AXOCommData::NEMachineDriverStatusChangedSignal, this,
        [this](int driverID, const MachineID &) {
            if (forThisDriver(driverID))
                emit driverStatusChanged();
        },
        queued);
    connect(
        store, &AXOCommData::NEErrorListUpdated, this,
        [this](int driverID, const MachineID &, bool) {
            if (forThisDriver(driverID))
                emit errorsChanged();
        },
        queued);
    connect(
        store, &AXOCommData::NEConfigurationChanged, this,
        [this](int driverID) {
            if (forThisDriver(driverID))
                emit configurationChanged();
        },
        queued);
    connect(store, &AXOCommData::NECommandExecutionStatusSignal, this, &PanelSession::onCommandEvent, queued);
    connect(
        AXOCurrentCommData::instance(), &AXOCurrentCommData::NECurrentMachineChanged, this,
        [this](const MachineID &) { emit currentMachineChanged(); }, queued);
}

void PanelSession::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

bool PanelSession::start(const ConnectRequest &request)
{
    if (m_state != Idle)
        return false;
    m_request = request;
    m_request.tls = AXOClientSettings::useOpenSsl();
    m_pending.clear();
    // The manager registers the driver under the next free ID.
    m_driverID = AXOCommData::instance()->getNextDriverID();
    setState(Starting);
    emit message(QStringLiteral("starting the driver at %1 (%2), communication level %3")
                     .arg(m_request.endpoint(), QLatin1String(m_request.tls ? "TLS" : "plain"))
                     .arg(int(m_request.level)));
    const ConnectRequest r = m_request;
    m_startWatcher.setFuture(QtConcurrent::run([r] {
        return AXOCommManager::instance()->startAXODriverEncryptedOrNot(QLatin1String(kClientID), r.address, r.port,
                                                                       r.level);
    }));
    return true;
}

void PanelSession::onStartDone()
{
    const bool ok = m_startWatcher.result();
    setState(ok ? Started : Failed);
    emit message(ok ? QStringLiteral("driver %1 started").arg(m_driverID)
                    : QStringLiteral("the start of the driver at %1 failed").arg(m_request.endpoint()));
    emit startFinished(ok);
    // Failures are recorded on the driver's generic machines.
    emit errorsChanged();
    emit machinesChanged();
}

bool PanelSession::stop()
{
    if (m_state != Started && m_state != Failed)
        return false;
    setState(Stopping);
    emit message(QStringLiteral("stopping driver %1").arg(m_driverID));
    const int driverID = m_driverID;
    // A levels read in flight ends first, on the worker, not here.
    m_levelsNext = 0;
    QFuture<QMap<int, double>> levels = m_levelsWatcher.future();
    m_stopWatcher.setFuture(QtConcurrent::run([driverID, levels]() mutable {
        levels.waitForFinished();
        AXOCommManager::instance()->stopDriversComm(driverID, true);
    }));
    return true;
}

void PanelSession::onStopDone()
{
    m_pending.clear();
    setState(Idle);
    emit message(QStringLiteral("driver %1 stopped").arg(m_driverID));
    emit stopped();
    emit machinesChanged();
    emit errorsChanged();
    emit configurationChanged();
}

bool PanelSession::send(const QString &name, const MachineID &machine, const QList<QVariant> &parameters,
                        QString *error)
{
    if (m_state != Started) {
        if (error)
            *error = QStringLiteral("no driver is started");
        return false;
    }
    try {
        NECommand command(m_driverID, machine, name, parameters);
        // Pending before the send: the first signals may come at once.
        m_pending.append({name, machine});
        if (!NECmdManager::executeCommand(&command, /*blocking*/ false, /*copy*/ true)) {
            m_pending.removeLast();
            if (error)
                *error = QStringLiteral("the library did not take the command");
            return false;
        }
    } catch (const FW_Exception &e) {
        if (error)
            *error = e.error().errorText();
        return false;
    }
    emit commandSent(name, machine);
    return true;
}

int PanelSession::pendingIndex(const NECommand &command) const
{
    if (command.driverID() != m_driverID)
        return -1;
    for (int i = 0; i < m_pending.size(); ++i)
        if (m_pending.at(i).name == command.command() && m_pending.at(i).machine == command.machineID())
            return i;
    return -1;
}

void PanelSession::onCommandEvent(AXOCommData::CommandEvent event, const NECommand &command)
{
    const int index = pendingIndex(command);
    if (index < 0)
        return;
    if (event == AXOCommData::CommandProgress) {
        emit commandProgress(command);
    } else if (event == AXOCommData::CommandExecuted) {
        m_pending.removeAt(index);
        emit commandFinished(command);
    }
}

void PanelSession::refreshLevels(int dispenserID)
{
    if (m_state != Started || dispenserID <= 0)
        return;
    if (m_levelsWatcher.isRunning()) {
        m_levelsNext = dispenserID;
        return;
    }
    const int driverID = m_driverID;
    m_levelsDispenser = dispenserID;
    m_levelsWatcher.setFuture(QtConcurrent::run([driverID, dispenserID] {
        QMap<int, double> levels;
        QList<CanisterData> canisters;
        if (NECmdManager::getCanisterLevels(driverID, dispenserID, canisters))
            for (const CanisterData &canister : canisters)
                levels.insert(canister.position(), canister.level());
        return levels;
    }));
}

void PanelSession::onLevelsRead()
{
    const QMap<int, double> levels = m_levelsWatcher.result();
    if (m_state == Started && !levels.isEmpty())
        emit levelsRead(m_levelsDispenser, levels);
    const int next = m_levelsNext;
    m_levelsNext = 0;
    if (next > 0)
        refreshLevels(next);
}
