// The command API's reactions: what the library does of its own when the
// data store reports a command enqueued or executed, or a status change.
// The polling threads write nothing into the store; their answers land here
// (through the store's executed signal) and are applied to it, and the
// threads of machines that appear, disappear or change activity follow.
// The slots run in the thread that owns the NECmdManager instance, one at a
// time in signal order, and never throw.

#include "NECmdManager.h"

#include "AXOCommData.h"
#include "AXOCurrentCommData.h"
#include "DeleteMachineCmd.h"
#include "DispenserDriverStatusAnswer.h"
#include "FW_Exception.h"
#include "FW_Machine.h"
#include "FW_ListUtils.h"
#include "FirmwareVersionAnswer.h"
#include "GetActiveDispAnswer.h"
#include "GetCanisterListAnswer.h"
#include "GetConfigAnswer.h"
#include "GetErrorsAnswer.h"
#include "MachineDriverStatusAnswer.h"
#include "MixerDriverStatusAnswer.h"
#include "NECommand.h"
#include "NELogger.h"
#include "SaveConfigCmd.h"
#include "SaveMachineConfigCmd.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QEvent>
#include <QtCore/QThread>

#include <memory>

#if defined(__SANITIZE_THREAD__)
#define AXO_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define AXO_THREAD_SANITIZER 1
#endif
#endif

#ifdef AXO_THREAD_SANITIZER
extern "C" void __tsan_acquire(void *addr);
extern "C" void __tsan_release(void *addr);
#define AXO_TSAN_ACQUIRE(address) __tsan_acquire(address)
#define AXO_TSAN_RELEASE(address) __tsan_release(address)
#else
#define AXO_TSAN_ACQUIRE(address) static_cast<void>(address)
#define AXO_TSAN_RELEASE(address) static_cast<void>(address)
#endif

namespace {

typedef NEDriverParams::DriverThreadTypes ThreadType;

void reportError(int driverID, const MachineID &machineID, const char *code, const QString &message)
{
    AXOCommData::instance()->setError(driverID, machineID, FW_DriverError(message, QLatin1String(code)), false,
                                      AXOCommData::EmitAlways);
}

// Runs a reaction; an exception becomes an error record of the command's machine.
template<typename Reaction>
void guarded(const NECommand &cmd, const char *code, Reaction reaction)
{
    try {
        reaction();
    } catch (const FW_Exception &e) {
        AXOCommData::instance()->setError(cmd.driverID(), cmd.machineID(), e.error(), false, AXOCommData::EmitAlways);
    } catch (...) {
        reportError(cmd.driverID(), cmd.machineID(), code, QStringLiteral("Errors during command execution"));
    }
}

// The machine whose communication SET_ACTIVE_DISP / SET_ACTIVE_MACHINE changes.
MachineID activationTarget(const NECommand &cmd)
{
    const QList<QVariant> params = cmd.parameters();
    if (params.isEmpty())
        return cmd.machineID();
    if (params.first().canConvert<MachineID>() && params.first().userType() == qMetaTypeId<MachineID>())
        return params.first().value<MachineID>();
    return MachineID(params.first().toInt(), MachineID::Dispenser);
}

const QList<ThreadType> kActivationThreads = {NEDriverParams::StandardCommandsThread,
                                              NEDriverParams::PriorityCommandsThread,
                                              NEDriverParams::StopCommandsThread, NEDriverParams::DriverStatusThread,
                                              NEDriverParams::SensorsStatusThread};

// The threads a machine that became active gets, by the communication level.
QList<ThreadType> threadsOfActiveMachine(const MachineID &id, int commLevel, bool mixers)
{
    QList<ThreadType> types{NEDriverParams::StandardCommandsThread};
    if (commLevel > 0)
        types << NEDriverParams::PriorityCommandsThread << NEDriverParams::StopCommandsThread;
    if (id.machineType == MachineID::Dispenser) {
        if (commLevel > 0)
            types << NEDriverParams::DriverStatusThread;
        if (commLevel > 1)
            types << NEDriverParams::SensorsStatusThread;
    } else if (id.machineType == MachineID::Mixer && mixers) {
        types << NEDriverParams::MixerStatusThread;
    }
    return types;
}

} // namespace

void NECmdManager::connectReactions()
{
    // Direct connections that hand the reaction over to this object's thread
    // through a queue of its own (post), so that the data they carry passes
    // through a lock the race detectors see, in signal order.
    AXOCommData *store = AXOCommData::instance();
    auto onCommand = [this](void (NECmdManager::*slot)(const NECommand &)) {
        return [this, slot](const NECommand &cmd) {
            if (QThread::currentThread() == thread()) {
                (this->*slot)(cmd);
                return;
            }
            const std::shared_ptr<NECommand> copy = std::make_shared<NECommand>(cmd);
            post([this, slot, copy] { (this->*slot)(*copy); });
        };
    };
    connect(store, &AXOCommData::NECommandEnqueuedSignal, this, onCommand(&NECmdManager::NECommandEnqueuedSlot),
            Qt::DirectConnection);
    connect(store, &AXOCommData::NECommandExecutedSignal, this, onCommand(&NECmdManager::NECommandExecutedSlot),
            Qt::DirectConnection);
    connect(store, &AXOCommData::NECommandProgressSignal, this, onCommand(&NECmdManager::NECommandProgressSlot),
            Qt::DirectConnection);
    connect(store, &AXOCommData::NEMachineStatusListChanged, this,
            [this](int driverID) { post([this, driverID] { MachineStatusListChangedSlot(driverID); }); },
            Qt::DirectConnection);
    connect(store, &AXOCommData::NEDispenserDriverStatusChangedSignal, this,
            [this](int driverID, int dispID) {
                post([this, driverID, dispID] { NEDispenserDriverStatusChangedSlot(driverID, dispID); });
            },
            Qt::DirectConnection);
    connect(store, &AXOCommData::NEMachineDriverStatusChangedSignal, this,
            [this](int driverID, const MachineID &machineID) {
                post([this, driverID, machineID] { NEMachineDriverStatusChangedSlot(driverID, machineID); });
            },
            Qt::DirectConnection);
    connect(AXOCurrentCommData::instance(), &AXOCurrentCommData::NECurrentMachineChanged, this,
            [this](const MachineID &machineID) { post([this, machineID] { CurrentMachineChangedSlot(machineID); }); },
            Qt::DirectConnection);
}

void NECmdManager::post(std::function<void()> reaction)
{
    if (QThread::currentThread() == thread()) {
        reaction();
        return;
    }
    bool wake = false;
    {
        QMutexLocker locker(&m_reactionMutex);
        wake = m_reactions.empty();
        m_reactions.push_back(std::move(reaction));
    }
    // One wake-up per batch: the queue was empty, so no drain is pending.
    // The event goes through Qt's posted-event queue, whose lock the race
    // detector cannot see in an uninstrumented Qt: the hand-off is told.
    if (wake) {
        QEvent *event = new QEvent(reactionEventType());
        AXO_TSAN_RELEASE(event);
        QCoreApplication::postEvent(this, event);
    }
}

QEvent::Type NECmdManager::reactionEventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool NECmdManager::event(QEvent *event)
{
    AXO_TSAN_ACQUIRE(event); // before anything reads it; nothing for other events
    if (event->type() == reactionEventType()) {
        drainReactions();
        return true;
    }
    return QObject::event(event);
}

void NECmdManager::drainReactions()
{
    for (;;) {
        std::function<void()> next;
        {
            QMutexLocker locker(&m_reactionMutex);
            if (m_reactions.empty())
                return;
            next = std::move(m_reactions.front());
            m_reactions.pop_front();
        }
        next();
    }
}

// ---------------------------------------------------------------- enqueued

void NECmdManager::NECommandEnqueuedSlot(const NECommand &cmd)
{
    AXOCommData *store = AXOCommData::instance();
    const QString name = cmd.command();
    const int driverID = cmd.driverID();
    if (name == QLatin1String("SET_ACTIVE_DISP") || name == QLatin1String("SET_ACTIVE_MACHINE")) {
        guarded(cmd, "TE00369", [&] {
            const MachineID target = activationTarget(cmd);
            bool paused = true;
            for (ThreadType type : kActivationThreads)
                if (store->existsDriverCommThread(driverID, target, type))
                    paused = store->pauseDriverCommThread(driverID, target, type) && paused;
            if (!paused)
                reportError(driverID, cmd.machineID(), "TE00368",
                            QStringLiteral("Errors during dispenser communication pause"));
        });
    } else if (name == QLatin1String("SAVE_CONFIG")) {
        for (int dispID : store->getActiveDispenserIDs(driverID))
            store->pauseDriverCommThread(driverID, MachineID(dispID, MachineID::Dispenser),
                                         NEDriverParams::SensorsStatusThread);
    } else if (name == QLatin1String("SAVE_DISP_CONFIG") || name == QLatin1String("SAVE_MACHINE_CONFIG")) {
        store->pauseDriverCommThread(driverID, cmd.machineID(), NEDriverParams::SensorsStatusThread);
    } else if (name == QLatin1String("STOP")) {
        store->clearCommandQueue(driverID, cmd.machineID(), StandardQueue);
    }
}

void NECmdManager::NECommandProgressSlot(const NECommand &)
{
}

// ---------------------------------------------------------------- executed

void NECmdManager::NECommandExecutedSlot(const NECommand &cmd)
{
    AXOCommData *store = AXOCommData::instance();
    const QString name = cmd.command();
    const int driverID = cmd.driverID();
    const bool done = cmd.isDoneSuccessfully();

    if (name == QLatin1String("GET_CONFIG") && done && !cmd.isBlockingCall()) {
        if (const std::unique_ptr<GetConfigAnswer> answer = cmd.answerAs<GetConfigAnswer>()) {
            const QList<QVariant> params = cmd.parameters();
            store->setDriverConfiguration(driverID, params.isEmpty() ? 0 : params.first().toInt(),
                                          answer->configuration());
        }
    } else if (name == QLatin1String("SAVE_MACHINE_CONFIG") && done && !cmd.isBlockingCall()) {
        guarded(cmd, "TE00515", [&] {
            const std::unique_ptr<ProtoCommand> proto = cmd.protoCommand();
            const SaveMachineConfigCmd *save = dynamic_cast<const SaveMachineConfigCmd *>(proto.get());
            const std::unique_ptr<FW_Machine> machine = save ? save->machine() : nullptr;
            if (save && save->isFactory())
                loadDriverConfiguration(driverID, 1, false);
            else if (machine)
                store->saveMachine(driverID, machine.get());
        });
    } else if (name == QLatin1String("SAVE_CONFIG") && done && !cmd.isBlockingCall()) {
        guarded(cmd, "TE00103", [&] {
            const std::unique_ptr<ProtoCommand> proto = cmd.protoCommand();
            if (const SaveConfigCmd *save = dynamic_cast<const SaveConfigCmd *>(proto.get()))
                store->setConfiguration(driverID, save->configuration());
        });
    } else if (name == QLatin1String("DELETE_MACHINE") && done) {
        guarded(cmd, "TE00259", [&] { removeDeletedMachines(cmd); });
    } else if ((name == QLatin1String("SET_ACTIVE_DISP") || name == QLatin1String("SET_ACTIVE_MACHINE"))
               && cmd.isFailed()) {
        guarded(cmd, "TE00371", [&] {
            const MachineID target = activationTarget(cmd);
            bool resumed = true;
            for (ThreadType type : kActivationThreads)
                if (store->existsDriverCommThread(driverID, target, type))
                    resumed = store->resumeDriverCommThread(driverID, target, type) && resumed;
            if (!resumed)
                reportError(driverID, cmd.machineID(), "TE00370",
                            QStringLiteral("Errors during dispenser communication resume"));
        });
    } else if (name == QLatin1String("GET_ACTIVE_DISP") && done && store->isAXODriver(driverID)) {
        if (const std::unique_ptr<GetActiveDispAnswer> answer = cmd.answerAs<GetActiveDispAnswer>())
            applyActiveMachines(driverID, *answer);
    } else if ((name == QLatin1String("GET_DISP_STATUS") || name == QLatin1String("GET_MIXER_STATUS")) && done) {
        guarded(cmd, "TE00230", [&] { applyDriverStatus(cmd); });
    } else if (name == QLatin1String("CLEAR_ERRORS") && done) {
        store->clearErrorList(driverID, cmd.machineID(), true);
    } else if (name == QLatin1String("READ_FW_VERSION") && done) {
        if (const std::unique_ptr<FirmwareVersionAnswer> answer = cmd.answerAs<FirmwareVersionAnswer>()) {
            const FW_Program program = answer->program();
            store->setFwProgram(driverID, cmd.machineID(), program);
            const std::unique_ptr<FW_Machine> machine = store->getMachine(driverID, cmd.machineID());
            if (program.version().hasNewConfigurationVersion() && machine
                && !machine->acceptsConfigVersion(program.version().configVersion()))
                store->NEEmitAppMessageSignal(tr("Current software version is too old compared to current firmware "
                                                 "version. It's highly recommended to upgrade software."),
                                              true);
        }
    } else if (name == QLatin1String("GET_CANISTER_LIST") && done && store->isAXODriver(driverID)) {
        if (const std::unique_ptr<GetCanisterListAnswer> answer = cmd.answerAs<GetCanisterListAnswer>())
            storeLevels(driverID, cmd.targetDispID(), *answer);
        else
            reportError(driverID, cmd.machineID(), "TE00264", QStringLiteral("Cannot retrieve levels"));
    } else if ((name == QLatin1String("SET_DISP_ID") || name == QLatin1String("SET_SCALE_CONFIG")) && done) {
        loadDriverConfiguration(driverID, 0, false);
    }

    // Colorant left the canisters, or their levels were set: read them again.
    if ((cmd.isErogationCommand(false) || (name == QLatin1String("SET_LEVELS") && done))
        && store->isAXODriver(driverID))
        refreshLevels(driverID, cmd.targetDispID(), false);
    collectErrors(cmd);
    if (cmd.isConfigurationCommand())
        store->resumeDriverCommThread(driverID, cmd.machineID(), NEDriverParams::SensorsStatusThread);
}

// The machines a DELETE_MACHINE removed leave the statuses and the configuration.
void NECmdManager::removeDeletedMachines(const NECommand &cmd)
{
    AXOCommData *store = AXOCommData::instance();
    const int driverID = cmd.driverID();
    const std::unique_ptr<ProtoCommand> proto = cmd.protoCommand();
    const DeleteMachineCmd *deletion = dynamic_cast<const DeleteMachineCmd *>(proto.get());
    if (!deletion)
        return;
    for (const MachineID &id : deletion->machineIDs()) {
        if (id.machineType == MachineID::Dispenser && !store->removeDispenserStatus(driverID, id.machineNumber, true))
            reportError(driverID, cmd.machineID(), "TE00260", QStringLiteral("An error occurred during dispenser removal"));
        else if (id.machineType == MachineID::Mixer && !store->removeMixerStatus(driverID, id.machineNumber, true))
            reportError(driverID, cmd.machineID(), "TE00578", QStringLiteral("An error occurred during mixer removal"));
        if (!store->removeMachine(driverID, id))
            reportError(driverID, cmd.machineID(), "TE00261", QStringLiteral("An error occurred during machine removal"));
    }
}

void NECmdManager::collectErrors(const NECommand &cmd)
{
    const bool errorsQuery = cmd.command() == QLatin1String("GET_ERRORS");
    if (!errorsQuery && !cmd.hasErrors())
        return;
    FW_ErrorList errors;
    if (const std::unique_ptr<GetErrorsAnswer> answer = errorsQuery ? cmd.answerAs<GetErrorsAnswer>() : nullptr)
        errors = answer->errorList();
    else
        errors = cmd.errors();
    AXOCommData *store = AXOCommData::instance();
    if (errors.isEmpty())
        store->clearErrorList(cmd.driverID(), cmd.machineID(), true);
    else
        store->appendErrorList(cmd.driverID(), cmd.machineID(), errors);
}

// The machines of an active-machines answer: records, threads and statuses.
void NECmdManager::applyActiveMachines(int driverID, const GetActiveDispAnswer &answer)
{
    AXOCommData *store = AXOCommData::instance();
    NELogger *log = NELogger::instance();
    if (log->isDebugEnabled()) {
        log->debug(QStringLiteral("GET_ACTIVE_DISP update"));
        log->debug(QStringLiteral("GET_ACTIVE_DISP answer: %1").arg(answer.toString()));
    }
    const bool mixers = store->mixerMngm();
    const int commLevel = store->commLevel();
    const int typeMask = MachineID::Dispenser | (mixers ? MachineID::Mixer : 0);
    store->updateMachineDataList(driverID, answer.getMachineIDs(MachineID::Dispenser), MachineID::Dispenser);
    if (mixers)
        store->updateMachineDataList(driverID, answer.getMachineIDs(MachineID::Mixer), MachineID::Mixer);

    const QList<MachineID> activeNow = answer.getActiveMachineIDs(typeMask);
    const QList<MachineID> activeBefore = store->getActiveMachineIDs(driverID, typeMask);
    const QList<MachineID> present = answer.getMachineIDs(typeMask);
    const QList<MachineID> threaded =
        store->getDriverCommThreadMachineIDs(driverID, NEDriverParams::ConfigurationCommandsThread);
    const QList<MachineID> newlyActive = diffList(activeNow, activeBefore);
    const QList<MachineID> noLongerActive = diffList(activeBefore, activeNow);
    QList<MachineID> newlyPresent;
    for (const MachineID &id : diffList(present, threaded))
        if (id.machineNumber > 0)
            newlyPresent.append(id);
    QList<MachineID> gone;
    for (const MachineID &id : diffList(threaded, present))
        if (id.machineNumber > 0)
            gone.append(id);

    // Machines added or removed, or configured anew elsewhere: the stored
    // configuration is read again.
    if (commLevel >= 1) {
        // Dispensers and mixers are counted on both sides: a scale has a
        // status of its own but is not one of the configured machines.
        const int reported = answer.getMachineIDs(MachineID::Dispenser | MachineID::Mixer).size();
        const bool reconfigured = reported != store->getNumOfMachines(driverID, false)
            || FW_Configuration::configurationChanged(store->getConfigIDList(driverID),
                                                      MachineStatus::getConfigIDList(answer.machineStatusList()),
                                                      store->clientID());
        if (reconfigured) {
            log->info(QStringLiteral("External configuration update, getting new one..."));
            loadDriverConfiguration(driverID, 0, true);
        }
    }

    bool started = true;
    for (const MachineID &id : newlyPresent)
        started = store->startDriverCommThread(driverID, id, NEDriverParams::ConfigurationCommandsThread) && started;
    for (const MachineID &id : newlyActive) {
        for (ThreadType type : threadsOfActiveMachine(id, commLevel, mixers))
            started = store->startDriverCommThread(driverID, id, type) && started;
        if (id.machineType == MachineID::Dispenser && commLevel > 0) {
            store->createDriverCommThread(driverID, id, NEDriverParams::CircuitsProcessesThread);
            refreshFirmwareVersion(driverID, id);
        }
    }
    if (!started)
        reportError(driverID, MachineID(0, MachineID::Dispenser), "TE00363",
                    QStringLiteral("Errors during dispenser communication startup"));

    bool stopped = true;
    for (const MachineID &id : gone)
        stopped = store->stopDriverCommThread(driverID, id, NEDriverParams::ConfigurationCommandsThread, false, true,
                                              true)
            && stopped;
    // A machine that left the driver loses its threads too, even when its
    // status was removed before (DELETE_MACHINE) and it never showed inactive.
    QList<MachineID> stopping = noLongerActive;
    for (const MachineID &id : gone)
        if (!stopping.contains(id))
            stopping.append(id);
    for (const MachineID &id : stopping) {
        for (ThreadType type : threadsOfActiveMachine(id, commLevel, mixers))
            if (store->existsDriverCommThread(driverID, id, type))
                stopped = store->stopDriverCommThread(driverID, id, type, false, true, true) && stopped;
        if (id.machineType == MachineID::Dispenser) {
            if (std::unique_ptr<DispenserDriverStatusAnswer> status =
                    store->currentDispenserDriverStatus(driverID, id.machineNumber)) {
                status->setActiveMachine(false);
                store->setCurrentDispenserStatus(driverID, id.machineNumber, status.get());
            }
        }
    }
    if (!stopped)
        reportError(driverID, MachineID(0, MachineID::Dispenser), "TE00364",
                    QStringLiteral("Errors during dispenser communication stop"));

    if (log->isDebugEnabled())
        log->debug(QStringLiteral("New machine status list"));
    store->setMachineStatusList(driverID, answer.machineStatusList());
    followDispenserStatuses(driverID, answer);
}

// What a dispenser reports of itself (serial number, the scale wired to it)
// reaches its configuration; a dispenser reporting a scale gets its scale
// threads, one without loses them.
void NECmdManager::followDispenserStatuses(int driverID, const GetActiveDispAnswer &answer)
{
    AXOCommData *store = AXOCommData::instance();
    FW_Configuration configuration = store->getSharedConfiguration(driverID);
    bool configurationChanged = false;
    for (const DispenserStatus &status : answer.dispenserStatusList()) {
        FW_Dispenser *dispenser = configuration.getDispenserById(status.machineNumber());
        if (!dispenser || status.machineID().machineType != MachineID::Dispenser)
            continue;
        if (status.updateMachineConfiguration(*dispenser))
            configurationChanged = true;
        const MachineID id = status.machineID();
        const bool scaleThreads = store->existsDriverCommThread(driverID, id, NEDriverParams::ScaleCommandsThread)
            && store->existsDriverCommThread(driverID, id, NEDriverParams::ScaleWeightThread);
        if (status.scaleNumber() > 0 && status.isActive() && !scaleThreads) {
            NELogger::instance()->info(QStringLiteral("Starting SCALE comm threads"));
            store->startDriverCommThread(driverID, id, NEDriverParams::ScaleCommandsThread);
            store->startDriverCommThread(driverID, id, NEDriverParams::ScaleWeightThread);
        } else if (status.scaleNumber() == 0 && scaleThreads) {
            NELogger::instance()->info(QStringLiteral("Stopping SCALE comm threads"));
            store->stopDriverCommThread(driverID, id, NEDriverParams::ScaleCommandsThread, false, true, true);
            store->stopDriverCommThread(driverID, id, NEDriverParams::ScaleWeightThread, false, true, true);
        }
        refreshUSSCleaningState(driverID, status.machineNumber());
    }
    if (configurationChanged)
        store->setConfiguration(driverID, configuration);
}

// A machine's driver status: stored; errors asked for when the board starts
// reporting an error or a warning, cleared when its error ends.
void NECmdManager::applyDriverStatus(const NECommand &cmd)
{
    AXOCommData *store = AXOCommData::instance();
    const int driverID = cmd.driverID();
    const MachineID machineID = cmd.machineID();
    bool wasError = false;
    bool wasWarning = false;
    bool wasBootLoader = false;
    if (const std::unique_ptr<MachineDriverStatusAnswer> previous =
            store->currentMachineDriverStatus(driverID, machineID)) {
        if (const MachineStatusAnswer *part = previous->machineStatusAnswer()) {
            wasError = part->isErrorCondition();
            wasWarning = part->hasWarning();
            wasBootLoader = part->isBootLoaderActive();
        }
    }
    const std::unique_ptr<MachineDriverStatusAnswer> status = cmd.answerAs<MachineDriverStatusAnswer>();
    store->setCurrentMachineStatus(driverID, machineID, status.get());
    const MachineStatusAnswer *part = status ? status->machineStatusAnswer() : nullptr;
    const bool isError = part && part->isErrorCondition();
    const bool isWarning = part && part->hasWarning();
    const bool isBootLoader = part && part->isBootLoaderActive();

    if ((isError && !wasError) || (isWarning && !wasWarning)) {
        NECommand errors(driverID, machineID, QStringLiteral("GET_ERRORS"));
        executeCommand(&errors, false, true); // on a copy; its answer comes back to the executed slot
    } else if (wasError && !isError) {
        store->clearErrorList(driverID, machineID, true);
    }
    const bool stored = store->isBootLoaderActive(driverID, machineID);
    if (!isBootLoader && (wasBootLoader || stored))
        store->setBootLoaderActive(driverID, machineID, false);
    else if (isBootLoader && (!wasBootLoader || !stored))
        store->setBootLoaderActive(driverID, machineID, true);
}

// ---------------------------------------------------------------- status signals

void NECmdManager::MachineStatusListChangedSlot(int driverID)
{
    for (const MachineID &id : AXOCommData::instance()->getLastConnectedOrReconfiguredMachineIDs(driverID))
        refreshCommandList(driverID, id);
}

void NECmdManager::NEDispenserDriverStatusChangedSlot(int driverID, int dispID)
{
    refreshUSSCleaningState(driverID, dispID);
}

void NECmdManager::NEMachineDriverStatusChangedSlot(int driverID, const MachineID &machineID)
{
    AXOCommData *store = AXOCommData::instance();
    const std::unique_ptr<MachineDriverStatusAnswer> status = store->currentMachineDriverStatus(driverID, machineID);
    if (!status)
        return;
    const MachineStatusAnswer *part = status->machineStatusAnswer();
    if (part && part->isErrorCondition())
        return;
    const QList<FW_Error::ErrorType> boardTypes{FW_Error::HwError, FW_Error::CmdRefusedError};
    if (!store->getFilteredErrorList(driverID, machineID, boardTypes).isEmpty())
        store->clearErrorListTypes(driverID, machineID, boardTypes);
}

void NECmdManager::CurrentMachineChangedSlot(const MachineID &machineID)
{
    AXOCurrentCommData *current = AXOCurrentCommData::instance();
    const int driverID = current->currentDriverID();
    AXOCommData *store = AXOCommData::instance();
    if (machineID.machineNumber <= 0 || !store->isAXODriver(driverID))
        return;
    current->setFwProgram(machineID, FW_Program());
    if (!store->isActiveMachine(driverID, machineID))
        return;
    refreshCommandList(driverID, machineID);
    if (machineID.machineType == MachineID::Dispenser)
        loadCalibrationProfiles(driverID, machineID.machineNumber);
}
