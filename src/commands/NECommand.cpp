#include "NECommand.h"

#include "AXOCommData.h"
#include "FW_Exception.h"
#include "FW_Machine.h"
#include "Formula.h"
#include "FormulaProgress.h"
#include "GetCommandStatusAnswer.h"
#include "NCCommand.h"
#include "NECmdManager.h"
#include "NELogger.h"
#include "ProtoCommandList.h"
#include "XmlRpcAnswer.h"

#include <exception>

namespace {

const char kPlaceName[] = "__thiscall NECommand::NECommand(const int,const struct MachineID &,const class QString)";
const char kPlaceVariant[]
    = "__thiscall NECommand::NECommand(const int,const struct MachineID &,const class QString,class QVariant)";
const char kPlaceList[] = "__thiscall NECommand::NECommand(const int,const struct MachineID &,const class "
                          "QString,class QList<class QVariant>)";
const char kPlaceMachine[] = "__thiscall NECommand::NECommand(const int,const struct MachineID &,const class "
                             "QString,class QList<class QVariant>,class FW_Machine *)";
const char kPlaceProto[] = "__thiscall NECommand::NECommand(const int,const struct MachineID &,class ProtoCommand *)";
const char kPlaceNC[] = "__thiscall NECommand::NECommand(const int,const struct MachineID &,class NCCommand *)";

// Error codes of the four name-based constructors: unknown name, failed build.
struct NameForm
{
    const char *place;
    const char *unknownCode;
    const char *buildCode;
};
const NameForm kNameOnly { kPlaceName, "TE00006", "TE00008" };
const NameForm kVariantForm { kPlaceVariant, "TE00035", "TE00036" };
const NameForm kListForm { kPlaceList, "TE00007", "TE00009" };
const NameForm kMachineForm { kPlaceMachine, "TE00001", "TE00010" };

QString name(ProtoCommandList::CommandListValue value)
{
    return ProtoCommandList::cmdStr(value);
}

bool nameIn(const QString &command, std::initializer_list<ProtoCommandList::CommandListValue> values)
{
    for (ProtoCommandList::CommandListValue value : values)
        if (command == name(value))
            return true;
    return false;
}

// Builds the protocol command of a name-based constructor; every failure
// other than an FW_Exception becomes the form's "Errors during protocol
// command creation".
ProtoCommand *buildProtoCommand(
    const NameForm &form, const QString &commandName, const QList<QVariant> &parameters, const FW_Machine *machine)
{
    if (!ProtoCommandList::existsCommand(commandName))
        throw FW_Exception(
            QLatin1String(form.unknownCode), QStringLiteral("Unexisting command"), QLatin1String(form.place));
    ProtoCommand *command = nullptr;
    try {
        command = ProtoCommandList::getProtoCommand(commandName, parameters, machine);
    } catch (const FW_Exception &) {
        throw;
    } catch (...) {
        command = nullptr;
    }
    if (!command)
        throw FW_Exception(QLatin1String(form.buildCode), QStringLiteral("Errors during protocol command creation"),
            QLatin1String(form.place));
    return command;
}

} // namespace

NECommand::NECommand() : QObject(nullptr)
{
    setDefaults();
}

NECommand::NECommand(int driverID, const MachineID &machineID, const QString &name) : QObject(nullptr)
{
    setDefaults();
    m_driverID = driverID;
    m_protoCommand.reset(buildProtoCommand(kNameOnly, name, m_parameters, nullptr));
    m_driverCallType = driverCallType(command(), AXOCommData::instance()->getDriverType(driverID));
    finishConstruction(machineID);
}

NECommand::NECommand(int driverID, const MachineID &machineID, const QString &name, const QVariant &parameter)
    : QObject(nullptr)
{
    setDefaults();
    m_driverID = driverID;
    m_parameters = QList<QVariant> { parameter };
    m_protoCommand.reset(buildProtoCommand(kVariantForm, name, m_parameters, nullptr));
    m_driverCallType = driverCallType(command(), AXOCommData::instance()->getDriverType(driverID));
    finishConstruction(machineID);
}

NECommand::NECommand(int driverID, const MachineID &machineID, const QString &name, const QList<QVariant> &parameters)
    : QObject(nullptr)
{
    setDefaults();
    m_driverID = driverID;
    m_parameters = parameters;
    m_protoCommand.reset(buildProtoCommand(kListForm, name, m_parameters, nullptr));
    m_driverCallType = driverCallType(command(), AXOCommData::instance()->getDriverType(driverID));
    finishConstruction(machineID);
}

NECommand::NECommand(int driverID, const MachineID &machineID, const QString &name, const QList<QVariant> &parameters,
    const FW_Machine *machine)
    : QObject(nullptr)
{
    setDefaults();
    m_driverID = driverID;
    if (machine)
        m_machine.reset(machine->clone());
    m_parameters = parameters;
    m_protoCommand.reset(buildProtoCommand(kMachineForm, name, m_parameters, m_machine.get()));
    m_driverCallType = driverCallType(command(), AXOCommData::instance()->getDriverType(driverID));
    finishConstruction(machineID);
}

NECommand::NECommand(int driverID, const MachineID &machineID, const ProtoCommand *protoCommand) : QObject(nullptr)
{
    setDefaults();
    if (!protoCommand)
        throw FW_Exception(
            QStringLiteral("TE00003"), QStringLiteral("Invalid protoCommand"), QLatin1String(kPlaceProto));
    m_driverID = driverID;
    if (protoCommand->machine())
        m_machine.reset(protoCommand->machine()->clone());
    if (!ProtoCommandList::existsCommand(protoCommand->command()))
        throw FW_Exception(QStringLiteral("TE00002"), QStringLiteral("Unexisting command"), QLatin1String(kPlaceProto));
    m_parameters = protoCommand->parameters();
    m_protoCommand.reset(protoCommand->clone());
    m_driverCallType = driverCallType(command(), AXOCommData::instance()->getDriverType(driverID));
    finishConstruction(machineID);
}

NECommand::NECommand(int driverID, const MachineID &machineID, const NCCommand *ncCommand) : QObject(nullptr)
{
    setDefaults();
    if (!ncCommand)
        throw FW_Exception(QStringLiteral("TE00145"), QStringLiteral("Unexisting command"), QLatin1String(kPlaceNC));
    m_driverID = driverID;
    {
        QMutexLocker locker(&m_progressMutex);
        m_ncCommand.reset(ncCommand->clone());
    }
    if (!m_ncCommand->protoCommand())
        throw FW_Exception(QStringLiteral("TE00189"), QStringLiteral("Invalid command"), QLatin1String(kPlaceNC));
    m_protoCommand.reset(m_ncCommand->protoCommand()->clone());
    if (!ProtoCommandList::existsCommand(command()))
        throw FW_Exception(QStringLiteral("TE00188"), QStringLiteral("Unexisting command"), QLatin1String(kPlaceNC));
    m_driverCallType = NotifyChangedCall;
    finishConstruction(machineID);
}

void NECommand::finishConstruction(const MachineID &machineID)
{
    {
        QMutexLocker locker(&m_statusMutex);
        m_executionStatus.setStatus(CmdStatus::CMD_CREATED);
    }
    m_machineID = ProtoCommandList::addressMachine(command()) ? machineID : MachineID(0, machineID.machineType);
    m_formulaProgressSupported = NECmdManager::hasFormulaProgressSupported(this);
}

NECommand::NECommand(const NECommand &other) : QObject(nullptr)
{
    setDefaults();
    copy(other);
}

NECommand &NECommand::operator=(const NECommand &other)
{
    if (this != &other) {
        freeOwned();
        setDefaults();
        copy(other);
    }
    return *this;
}

NECommand::~NECommand()
{
    disconnectFormulaSlots();
}

void NECommand::setDefaults()
{
    m_blockingCall = true;
    m_driverCallType = SyncCall;
    m_driverID = 1;
    m_machineID = MachineID(0, 0);
    m_executionStatus.clear();
    m_parameters.clear();
    m_errors.clear();
    m_silentExecution = false;
    m_pollingExecution = false;
    m_cmdState = NECmdIdle;
    m_formulaProgressSupported = false;
}

void NECommand::freeOwned()
{
    disconnectFormulaSlots();
    m_protoCommand.reset();
    m_ncCommand.reset();
    m_machine.reset();
    m_formulaProgress.reset();
}

void NECommand::copy(const NECommand &other)
{
    if (this == &other)
        return;
    QMutexLocker content(&other.m_contentMutex);
    QMutexLocker statusLock(&other.m_statusMutex);
    QMutexLocker progress(&other.m_progressMutex);
    QMutexLocker state(&other.m_stateMutex);
    m_blockingCall = other.m_blockingCall;
    m_driverCallType = other.m_driverCallType;
    m_driverID = other.m_driverID;
    m_machineID = other.m_machineID;
    m_executionStatus = other.m_executionStatus;
    m_parameters = other.m_parameters;
    m_errors = other.m_errors;
    m_machine.reset(other.m_machine ? other.m_machine->clone() : nullptr);
    m_protoCommand.reset(other.m_protoCommand ? other.m_protoCommand->clone() : nullptr);
    m_ncCommand.reset(other.m_ncCommand ? other.m_ncCommand->clone() : nullptr);
    m_formulaProgress.reset(other.m_formulaProgress ? other.m_formulaProgress->clone() : nullptr);
    m_silentExecution = other.m_silentExecution;
    m_pollingExecution = other.m_pollingExecution;
    m_cmdState = other.m_cmdState;
    m_formulaProgressSupported = other.m_formulaProgressSupported;
}

// ---------------------------------------------------------------- identity

QString NECommand::command() const
{
    QMutexLocker locker(&m_contentMutex);
    return m_protoCommand ? m_protoCommand->command() : QString();
}

QString NECommand::commandString() const
{
    QMutexLocker locker(&m_contentMutex);
    return m_protoCommand ? m_protoCommand->commandString() : ProtoCommand::defaultCommandString();
}

ProtoCommand::TString NECommand::commandActionString() const
{
    QMutexLocker locker(&m_contentMutex);
    return m_protoCommand ? m_protoCommand->commandActionString() : ProtoCommand::defaultActionString();
}

NECommand::operator QString() const
{
    return QStringLiteral("Command %1").arg(command());
}

int NECommand::targetDispID() const
{
    return m_machineID.isDispenser() ? m_machineID.machineNumber : -1;
}

std::unique_ptr<FW_Machine> NECommand::machine() const
{
    QMutexLocker locker(&m_contentMutex);
    return std::unique_ptr<FW_Machine>(m_machine ? m_machine->clone() : nullptr);
}

void NECommand::setMachine(const FW_Machine *machine)
{
    if (!machine)
        return;
    QMutexLocker locker(&m_contentMutex);
    m_machine.reset(machine->clone());
}

std::unique_ptr<ProtoCommand> NECommand::protoCommand() const
{
    QMutexLocker locker(&m_contentMutex);
    return std::unique_ptr<ProtoCommand>(m_protoCommand ? m_protoCommand->clone() : nullptr);
}

void NECommand::setProtoCommand(const ProtoCommand *protoCommand)
{
    if (!protoCommand)
        return;
    QMutexLocker locker(&m_contentMutex);
    m_protoCommand.reset(protoCommand->clone());
}

std::unique_ptr<NCCommand> NECommand::getNCCommand() const
{
    QMutexLocker locker(&m_contentMutex);
    return std::unique_ptr<NCCommand>(m_ncCommand ? m_ncCommand->clone() : nullptr);
}

void NECommand::setNC_Command(const NCCommand *ncCommand)
{
    if (!ncCommand)
        return;
    QMutexLocker locker(&m_contentMutex);
    m_ncCommand.reset(ncCommand->clone());
}

bool NECommand::hasValidProtoCommand() const
{
    QMutexLocker locker(&m_contentMutex);
    return m_protoCommand && ProtoCommandList::existsCommand(m_protoCommand->command());
}

bool NECommand::hasValidNC_Command() const
{
    QMutexLocker locker(&m_contentMutex);
    return m_ncCommand && m_ncCommand->protoCommand();
}

// ---------------------------------------------------------------- status

int NECommand::status() const
{
    QMutexLocker locker(&m_statusMutex);
    return m_executionStatus.status();
}

bool NECommand::isFailed() const
{
    const int s = status();
    return s <= CmdStatus::CMD_EXEC_ERRORS && s >= CmdStatus::CMD_INTERRUPTED;
}

CmdStatus NECommand::executionStatus() const
{
    QMutexLocker statusLock(&m_statusMutex);
    QMutexLocker progress(&m_progressMutex);
    CmdStatus status = m_executionStatus;
    if (m_formulaProgress) {
        if (m_formulaProgress->timeLeft() > status.timeLeft())
            status.setTimeLeft(static_cast<int>(m_formulaProgress->timeLeft()));
        if (m_formulaProgress->percentage() < status.percentage())
            status.setPercentage(static_cast<int>(m_formulaProgress->percentage()));
    }
    return status;
}

void NECommand::setExecutionStatus(const CmdStatus &status)
{
    QMutexLocker locker(&m_statusMutex);
    m_executionStatus = status;
    publishStatusLocked(true);
}

void NECommand::setExecutionStatus(const GetCommandStatusAnswer *answer)
{
    if (!answer)
        return;
    QMutexLocker locker(&m_statusMutex);
    m_executionStatus = answer->cmdStatus();
    publishStatusLocked(false);
}

void NECommand::setExecutionStatus(const XmlRpcAnswer *answer)
{
    if (answer)
        setExecutionStatus(static_cast<ProtoAnswer::ProtocolRetCode>(answer->returnCode()));
}

void NECommand::setExecutionStatus(CmdStatus::CommandStatusList status)
{
    QMutexLocker locker(&m_statusMutex);
    m_executionStatus.setStatus(status);
    publishStatusLocked(false);
}

void NECommand::publishStatusLocked(bool progress)
{
    // While a driver thread holds the command its worker cannot finish it
    // anyway: only progress is worth a wake-up then, the release brings the
    // rest. Wakes are costly thread switches on the path of every command.
    ++m_statusGeneration;
    if (progress || !m_heldByThread)
        m_statusChanged.wakeAll();
}

NECommand::StatusSnapshot NECommand::statusSnapshot() const
{
    QMutexLocker locker(&m_statusMutex);
    StatusSnapshot now;
    now.status = m_executionStatus.status();
    now.held = m_heldByThread;
    now.generation = m_statusGeneration;
    return now;
}

NECommand::StatusSnapshot NECommand::waitForStatusChange(quint64 seen, unsigned long ms) const
{
    QMutexLocker locker(&m_statusMutex);
    if (m_statusGeneration == seen)
        m_statusChanged.wait(&m_statusMutex, ms);
    StatusSnapshot now;
    now.status = m_executionStatus.status();
    now.held = m_heldByThread;
    now.generation = m_statusGeneration;
    return now;
}

void NECommand::markTakenByThread()
{
    QMutexLocker locker(&m_statusMutex);
    m_heldByThread = true;
}

void NECommand::releaseFromThread()
{
    CompletionHook hook;
    {
        QMutexLocker locker(&m_statusMutex);
        if (m_executionStatus.status() > CmdStatus::CMD_DONE)
            m_executionStatus.setStatus(CmdStatus::CMD_INTERRUPTED);
        m_heldByThread = false;
        hook.swap(m_completionHook);
        publishStatusLocked(false);
    }
    if (hook)
        hook();
}

bool NECommand::setCompletionHook(CompletionHook hook)
{
    QMutexLocker locker(&m_statusMutex);
    if (!m_heldByThread && m_executionStatus.status() <= CmdStatus::CMD_DONE)
        return false;
    m_completionHook = std::move(hook);
    return true;
}

NECommand::CompletionHook NECommand::takeCompletionHook()
{
    QMutexLocker locker(&m_statusMutex);
    CompletionHook hook;
    hook.swap(m_completionHook);
    return hook;
}

void NECommand::setExecutionStatus(ProtoAnswer::ProtocolRetCode rc)
{
    CmdStatus::CommandStatusList status = CmdStatus::CMD_EXEC_ERRORS;
    if (rc == ProtoAnswer::RC_OK)
        status = CmdStatus::CMD_DONE;
    else if (rc == ProtoAnswer::RC_REFUSED)
        status = CmdStatus::CMD_REFUSED;
    else if (rc == ProtoAnswer::RC_INTERRUPTED)
        status = CmdStatus::CMD_INTERRUPTED;
    setExecutionStatus(status);
}

// ---------------------------------------------------------------- answer

bool NECommand::setAnswer(const XmlRpc::XmlRpcValue &result, bool async, FW_DriverError *error)
{
    QMutexLocker locker(&m_contentMutex);
    return m_protoCommand && m_protoCommand->setAnswer(result, async, error);
}

bool NECommand::setProtoAnswer(const ProtoAnswer *answer)
{
    QMutexLocker locker(&m_contentMutex);
    return m_protoCommand && m_protoCommand->setProtoAnswer(answer);
}

std::unique_ptr<ProtoAnswer> NECommand::getProtoAnswer(bool *ok) const
{
    QMutexLocker locker(&m_contentMutex);
    bool found = false;
    const ProtoAnswer *answer = m_protoCommand ? m_protoCommand->getProtoAnswer(&found) : nullptr;
    if (ok)
        *ok = found && answer;
    return std::unique_ptr<ProtoAnswer>(answer ? answer->clone() : nullptr);
}

std::unique_ptr<XmlRpcAnswer> NECommand::getXmlRpcAnswer(bool *ok) const
{
    QMutexLocker locker(&m_contentMutex);
    bool valid = false;
    const XmlRpcAnswer *answer = m_protoCommand ? m_protoCommand->getXmlRpcAnswer(&valid) : nullptr;
    if (ok)
        *ok = valid;
    return std::unique_ptr<XmlRpcAnswer>(answer ? static_cast<XmlRpcAnswer *>(answer->clone()) : nullptr);
}

void NECommand::clearProtoAnswer()
{
    QMutexLocker locker(&m_contentMutex);
    if (m_protoCommand)
        m_protoCommand->clearProtoAnswer();
}

XmlRpc::XmlRpcValue NECommand::toXmlRpcValue(const QString &sessionID, bool *ok) const
{
    if (ok)
        *ok = false;
    QMutexLocker locker(&m_contentMutex);
    if (!m_protoCommand)
        return XmlRpc::XmlRpcValue();
    if (m_driverCallType == NotifyChangedCall && m_ncCommand)
        return m_ncCommand->toXmlRpcValue(sessionID, ok);
    return m_protoCommand->toXmlRpcValue(sessionID, ok);
}

// ---------------------------------------------------------------- errors

void NECommand::appendError(const FW_Error &error)
{
    QMutexLocker locker(&m_contentMutex);
    m_errors.append(error);
}

void NECommand::appendError(const FW_Error *error)
{
    if (error)
        appendError(*error);
}

void NECommand::setErrors(const FW_ErrorList &errors)
{
    QMutexLocker locker(&m_contentMutex);
    m_errors = errors;
}

FW_ErrorList NECommand::errors() const
{
    QMutexLocker locker(&m_contentMutex);
    return m_errors;
}

bool NECommand::hasErrors() const
{
    QMutexLocker locker(&m_contentMutex);
    return !m_errors.isEmpty();
}

bool NECommand::setFailureExecution(const FW_DriverError &error)
{
    NELogger::instance()->error(QStringLiteral("Command %1 FAILED with error: %2").arg(command(), error.errorText()));
    appendError(error);
    setExecutionStatus(CmdStatus::CMD_EXEC_ERRORS);
    return false;
}

bool NECommand::setFailureExecution(const FW_ErrorList &errors)
{
    QString text = QStringLiteral("Command %1 FAILED with errors:").arg(command());
    for (const FW_Error &error : errors)
        text += QLatin1Char('\n') + error.errorText();
    NELogger::instance()->error(text);
    {
        QMutexLocker locker(&m_contentMutex);
        m_errors.append(errors);
    }
    setExecutionStatus(CmdStatus::CMD_EXEC_ERRORS);
    return false;
}

// ---------------------------------------------------------------- timing

qint64 NECommand::callTimeout() const
{
    qint64 t = 0;
    QMutexLocker locker(&m_contentMutex);
    switch (m_driverCallType) {
    case NotifyChangedCall:
        t = m_ncCommand ? m_ncCommand->timeout() : 0;
        break;
    case AsyncCall:
        return 11000;
    case SyncCall:
        if (!m_protoCommand)
            return 0;
        t = m_protoCommand->executionTimeEstimate(m_machine.get());
        if (t == 0)
            t = ProtoCommandList::commandTimeout(m_protoCommand->command());
        break;
    }
    return t > 0 ? t + 10000 : t;
}

qint64 NECommand::commandTimeout() const
{
    const QString name = command();
    if (ProtoCommandList::erogationCommand(name) || isFwUpdateCommand())
        return 0;
    QMutexLocker locker(&m_contentMutex);
    if (!m_protoCommand)
        return 0;
    const qint64 estimate = m_protoCommand->executionTimeEstimate(m_machine.get());
    return estimate > 0 ? estimate + 50000 : estimate;
}

qint64 NECommand::getCmdEstimatedExecutionTime(const FW_Machine *machine) const
{
    QMutexLocker locker(&m_contentMutex);
    return m_protoCommand ? m_protoCommand->executionTimeEstimate(machine) : 0;
}

bool NECommand::hasExecutionTimeEstimation(const FW_Machine *machine) const
{
    return getCmdEstimatedExecutionTime(machine) > 0;
}

// ---------------------------------------------------------------- classification

bool NECommand::isConfigurationCommand() const
{
    return nameIn(command(),
        { ProtoCommandList::SAVE_CONFIG, ProtoCommandList::SAVE_DISP_CONFIG, ProtoCommandList::SAVE_MACHINE_CONFIG });
}

bool NECommand::isErogationCommand(bool strict) const
{
    if (strict)
        return nameIn(command(), { ProtoCommandList::TINT, ProtoCommandList::PURGE, ProtoCommandList::TINT2 });
    return ProtoCommandList::erogationCommand(command());
}

bool NECommand::isFwUpdateCommand() const
{
    return nameIn(command(), { ProtoCommandList::UPDATE_FW, ProtoCommandList::SEND_FW_PACKAGE });
}

bool NECommand::unstoppableCommand() const
{
    return nameIn(command(),
        { ProtoCommandList::GET_CONFIG, ProtoCommandList::SAVE_CONFIG, ProtoCommandList::SAVE_DISP_CONFIG,
            ProtoCommandList::GET_CALIB_PROFILES, ProtoCommandList::GETDBFILE, ProtoCommandList::SET_CALIB_PROFILES,
            ProtoCommandList::SET_ACTIVE_DISP, ProtoCommandList::SET_ACTIVE_MACHINE, ProtoCommandList::FW_SCAN,
            ProtoCommandList::SET_DISP_ID, ProtoCommandList::SAVE_MACHINE_CONFIG, ProtoCommandList::GETLOGS });
}

bool NECommand::quickCommandExecution() const
{
    const QString name = command();
    return !ProtoCommandList::checkBusyFlag(name) || ProtoCommandList::isConfigurationCommand(name, true);
}

bool NECommand::hasHighSchedulingPriority() const
{
    return ProtoCommandList::hasHighSchedulingPriority(command());
}

bool NECommand::ignoreStatusChange() const
{
    return isNotifyChangedCommandCall() || commandActionString().isEmpty() || m_pollingExecution;
}

// ---------------------------------------------------------------- comparison

bool NECommand::equalTo(const NECommand &other, bool full) const
{
    if (this == &other)
        return true;
    if (command() != other.command() || m_driverID != other.m_driverID)
        return false;
    {
        const std::unique_ptr<FW_Machine> mine = machine();
        const std::unique_ptr<FW_Machine> theirs = other.machine();
        if (static_cast<bool>(mine) != static_cast<bool>(theirs))
            return false;
        if (mine && mine->identifier() != theirs->identifier())
            return false;
    }
    if (!full)
        return true;
    const bool myProgress = hasFormulaProgress();
    if (myProgress != other.hasFormulaProgress())
        return false;
    if (myProgress && formulaProgress() != other.formulaProgress())
        return false;
    return cmdState() == other.cmdState();
}

FunctionCallType NECommand::driverCallType(const QString &name, int driverType)
{
    if (ProtoCommandList::isConfigurationCommand(name, true))
        return SyncCall;
    if (ProtoCommandList::trackExecutionTime(name) && driverType != SlaveDriver)
        return AsyncCall;
    return SyncCall;
}
