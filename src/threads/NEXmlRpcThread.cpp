#include "NEXmlRpcThread.h"
#include "NEXmlRpcClientPool.h"

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "AsyncAnswer.h"
#include "FW_Exception.h"
#include "GetCommandStatusAnswer.h"
#include "GetCommandStatusCmd.h"
#include "NECmdManager.h"
#include "NECommand.h"
#include "NEDriverCredentials.h"
#include "NELogger.h"
#include "ProtoCommandList.h"
#include "Session.h"
#include "XmlRpcAnswer.h"
#include "XmlRpcException.h"
#include "XmlRpcUtil.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>

#include <exception>
#include <map>

namespace {

bool debugOn()
{
    return NELogger::instance()->isDebugEnabled();
}

} // namespace

QMutex *NEXmlRpcThread::sessionMutex(int driverID)
{
    static QMutex mapMutex;
    static std::map<int, std::unique_ptr<QMutex>> mutexes;
    QMutexLocker locker(&mapMutex);
    std::unique_ptr<QMutex> &mutex = mutexes[driverID];
    if (!mutex)
        mutex.reset(new QMutex());
    return mutex.get();
}

NEXmlRpcThread::NEXmlRpcThread(const NEDriverParams &driverParams, const MachineID &machineID, QueueType queueType,
    NEDriverParams::DriverThreadTypes threadType, QObject *parent)
    : QThread(parent),
      m_driverParams(driverParams),
      m_machineID(machineID),
      m_queueType(queueType),
      m_threadType(threadType)
{
    setStackSize(kStackSize);
    establishDriverConnection();
}

NEXmlRpcThread::~NEXmlRpcThread()
{
    closeDriverConnection();
    // A caller running a command through this thread finishes first (the
    // closed connection ends its call).
    m_runMutex.lock();
    m_runMutex.unlock();
    QMutexLocker locker(&m_clientPointerMutex);
    m_client.reset();
}

bool NEXmlRpcThread::operator==(const NEXmlRpcThread &other) const
{
    return driverID() == other.driverID() && m_machineID == other.m_machineID && m_threadType == other.m_threadType;
}

int NEXmlRpcThread::driverID() const
{
    QMutexLocker locker(&m_paramsMutex);
    return m_driverParams.driverID();
}

NEDriverParams NEXmlRpcThread::driverParams() const
{
    QMutexLocker locker(&m_paramsMutex);
    return m_driverParams;
}

void NEXmlRpcThread::setDriverParams(const NEDriverParams &params)
{
    QMutexLocker locker(&m_paramsMutex);
    m_driverParams = params;
}

QString NEXmlRpcThread::threadInfo() const
{
    return QStringLiteral("%1 - driver ID=%2 - machine ID=%3 - machine type=%4 - thread ID: 0x%5")
        .arg(threadTypeDescr())
        .arg(driverID())
        .arg(m_machineID.machineNumber)
        .arg(m_machineID.typeText())
        .arg(QString::number(reinterpret_cast<quintptr>(QThread::currentThreadId()), 16).toUpper());
}

QString NEXmlRpcThread::threadTypeDescr(NEDriverParams::DriverThreadTypes type)
{
    return NEDriverParams::threadTypeDescription(type);
}

// ---------------------------------------------------------------- flags

void NEXmlRpcThread::prepareForStart()
{
    setAbort(false);
}

void NEXmlRpcThread::setPauseFlag(bool paused)
{
    QMutexLocker locker(&m_pauseMutex);
    m_pause = paused;
}

void NEXmlRpcThread::delayProcess(bool delay)
{
    QMutexLocker locker(&m_delayMutex);
    m_delay = delay;
}

bool NEXmlRpcThread::abortOperations() const
{
    QMutexLocker locker(&m_abortMutex);
    return m_abort;
}

bool NEXmlRpcThread::pauseOperations() const
{
    QMutexLocker locker(&m_pauseMutex);
    return m_pause;
}

bool NEXmlRpcThread::delayOperations() const
{
    QMutexLocker locker(&m_delayMutex);
    return m_delay;
}

void NEXmlRpcThread::setAbort(bool abort)
{
    QMutexLocker locker(&m_abortMutex);
    m_abort = abort;
    if (abort)
        m_waitCondition.wakeAll();
}

void NEXmlRpcThread::waitTimeoutAbort(qint64 ms) const
{
    QMutexLocker locker(&m_abortMutex);
    if (!m_abort && ms > 0)
        m_waitCondition.wait(&m_abortMutex, static_cast<unsigned long>(ms));
}

void NEXmlRpcThread::setError(const FW_DriverError &error) const
{
    AXOCommData::instance()->setError(driverID(), m_machineID, error, false, AXOCommData::EmitAlways);
}

const unsigned long NEXmlRpcThread::kIdleWaitMs;
const uint NEXmlRpcThread::kStackSize;

void NEXmlRpcThread::notifyCommandEnqueued()
{
    QMutexLocker locker(&m_abortMutex);
    m_workPending = true;
    m_waitCondition.wakeAll();
}

bool NEXmlRpcThread::tryClaimForCaller()
{
    if (!drainsCommandQueue() || !isRunning() || pauseOperations() || abortOperations())
        return false;
    return m_runMutex.tryLock();
}

void NEXmlRpcThread::runClaimed(NECommand *cmd)
{
    std::shared_ptr<NEXmlRpcClient> own;
    const std::shared_ptr<NEXmlRpcClient> lent = borrowConnection(&own);
    manageCommand(cmd);
    if (lent)
        giveBackConnection(lent, own);
    m_runMutex.unlock();
    cmd->releaseFromThread();
}

bool NEXmlRpcThread::drainsCommandQueue() const
{
    return m_threadType >= NEDriverParams::StandardCommandsThread
        && m_threadType <= NEDriverParams::ScaleCommandsThread;
}

bool NEXmlRpcThread::stopProcess()
{
    if (debugOn())
        NELogger::instance()->debug(QStringLiteral("STOP thread %1").arg(threadInfo()));
    // The flag wakes every wait of the thread; closing the connection ends
    // a call in flight.
    setAbort(true);
    return closeDriverConnection();
}

// ---------------------------------------------------------------- connection

std::shared_ptr<NEXmlRpcClient> NEXmlRpcThread::client() const
{
    QMutexLocker locker(&m_clientPointerMutex);
    return m_client;
}

bool NEXmlRpcThread::connectionClosed() const
{
    QMutexLocker locker(&m_clientPointerMutex);
    return m_connectionClosed;
}

bool NEXmlRpcThread::establishDriverConnection()
{
    const NEDriverParams params = driverParams();
    NELogger::instance()->info(
        QStringLiteral("Establishing driver connection to %1:%2...").arg(params.ipAddress()).arg(params.port()));
    if (params.isSlaveDriverType())
        return true;
    closeDriverConnection();
    try {
        QMutexLocker callLocker(&m_clientMutex);
        XmlRpcUtil::setVerbosity(0);
        const QByteArray host = params.ipAddress().toLatin1();
        std::shared_ptr<NEXmlRpcClient> created;
        if (AXOClientSettings::useOpenSsl()) {
            const std::string certPath = params.certPath();
            NELogger::instance()->info(
                QStringLiteral("Using SSL connection with certificate: %1").arg(QString::fromStdString(certPath)));
            const std::string login = NEDriverCredentials::login();
            const std::string password = NEDriverCredentials::password();
            created = std::make_shared<NEXmlRpcClient>(
                host.constData(), params.port(), login.c_str(), password.c_str(), certPath.c_str(), true);
            created->setPeerVerification(QFile::encodeName(AXOClientSettings::tlsCaFile()).toStdString(),
                AXOClientSettings::tlsPeerName().toStdString());
        } else {
            NELogger::instance()->info(QStringLiteral("Using plain connection (no SSL)"));
            created = std::make_shared<NEXmlRpcClient>(host.constData(), params.port());
        }
        created->setExecuteResult(ExecOk);
        QMutexLocker pointerLocker(&m_clientPointerMutex);
        m_client = created;
        m_connectionClosed = false;
        return true;
    } catch (...) {
        setError(FW_DriverError(QStringLiteral("Error creating connection to driver"), QStringLiteral("TE00174")));
        return false;
    }
}

bool NEXmlRpcThread::closeDriverConnection()
{
    if (driverParams().isSlaveDriverType())
        return true;
    try {
        // Under the pointer lock, so that a connection lent for a caller's
        // command is not given back to the driver's pool while it is closed.
        QMutexLocker locker(&m_clientPointerMutex);
        if (!m_client)
            return true;
        m_client->close(); // a call in flight on another thread ends at once
        m_connectionClosed = true;
        return true;
    } catch (...) {
        setError(FW_DriverError(QStringLiteral("An error occurred in communication close"), QStringLiteral("TE00114")));
        return false;
    }
}

std::shared_ptr<NEXmlRpcClient> NEXmlRpcThread::takeConnection()
{
    QMutexLocker callLocker(&m_clientMutex);
    QMutexLocker pointerLocker(&m_clientPointerMutex);
    std::shared_ptr<NEXmlRpcClient> taken = std::move(m_client);
    m_client.reset();
    m_connectionClosed = true;
    return taken;
}

std::shared_ptr<NEXmlRpcClient> NEXmlRpcThread::borrowConnection(std::shared_ptr<NEXmlRpcClient> *own)
{
    const NEDriverParams params = driverParams();
    if (params.isSlaveDriverType())
        return nullptr;
    NEXmlRpcClientPool *pool = AXOCommData::instance()->clientPool();
    std::shared_ptr<NEXmlRpcClient> lent;
    {
        // No call runs through this thread meanwhile: the claim keeps the
        // thread's own loop out, the call lock everybody else.
        QMutexLocker callLocker(&m_clientMutex);
        const std::shared_ptr<NEXmlRpcClient> current = client();
        if (!current || current->isExecuting() || current->connectionState() != XmlRpc::XmlRpcClient::NO_CONNECTION)
            return nullptr;
        lent = pool->borrow(params.driverID(), current->host(), current->port(), current->isSSL());
        if (!lent)
            return nullptr;
        QMutexLocker pointerLocker(&m_clientPointerMutex);
        if (!m_connectionClosed && m_client == current) {
            m_client = lent;
            *own = current;
            return lent;
        }
    }
    // A stop came first: the driver is going, and its connection with it.
    lent->close();
    return nullptr;
}

void NEXmlRpcThread::giveBackConnection(const std::shared_ptr<NEXmlRpcClient> &lent,
                                        const std::shared_ptr<NEXmlRpcClient> &own)
{
    // A stop closes whatever client the thread holds under this lock, and
    // the driver's idle connections after its threads' stops: a lent
    // connection is either closed by the stop (and dropped here) or back in
    // the pool before the stop looks.
    const int driver = driverID();
    NEXmlRpcClientPool *pool = AXOCommData::instance()->clientPool();
    QMutexLocker pointerLocker(&m_clientPointerMutex);
    if (m_client == lent)
        m_client = own;
    if (!m_connectionClosed)
        pool->giveBack(driver, lent);
}

bool NEXmlRpcThread::pingDriver(double timeoutSeconds) const
{
    if (driverParams().isSlaveDriverType())
        return true;
    if (!client())
        return false;
    NELogger::instance()->debug(QStringLiteral("Ping driver..."));
    XmlRpc::XmlRpcValue result;
    return xmlrpc_execute("PING", XmlRpc::XmlRpcValue(), result, timeoutSeconds);
}

bool NEXmlRpcThread::checkDriverPort()
{
    if (driverParams().isSlaveDriverType())
        return true;
    bool answered = pingDriver(5.0);
    if (answered)
        return true;
    const int configuredPort = driverParams().port();

    if (AXOClientSettings::isLocalDriver()) {
        // The local driver may have moved to a port nearby.
        for (int offset = -5; offset <= 4 && !answered; ++offset) {
            {
                QMutexLocker locker(&m_paramsMutex);
                m_driverParams.setPort(configuredPort + offset);
            }
            establishDriverConnection();
            answered = pingDriver(5.0);
        }
        return answered;
    }

    const int attempts = 3;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (answered || abortOperations())
            break;
        NELogger::instance()->info(QStringLiteral("Non-localhost connection attempt %1/%2 to %3:%4...")
                                       .arg(attempt)
                                       .arg(attempts)
                                       .arg(driverParams().ipAddress())
                                       .arg(configuredPort));
        {
            QMutexLocker locker(&m_paramsMutex);
            m_driverParams.setPort(configuredPort);
        }
        if (establishDriverConnection())
            answered = pingDriver(20.0);
        if (!answered && attempt < attempts && !abortOperations()) {
            NELogger::instance()->info(QStringLiteral("Attempt %1/%2 failed, waiting %3ms before retry...")
                                           .arg(attempt)
                                           .arg(attempts)
                                           .arg(5000));
            waitTimeoutAbort(5000);
        }
    }
    return answered;
}

// ---------------------------------------------------------------- raw call

bool NEXmlRpcThread::xmlrpc_execute(const char *method, const XmlRpc::XmlRpcValue &params, XmlRpc::XmlRpcValue &result,
    double timeoutSeconds, NEXmlRpcExecuteResult *outcome) const
{
    NEXmlRpcExecuteResult how = ExecConnectionError;
    bool ok = false;
    {
        QMutexLocker locker(&m_clientMutex);
        const std::shared_ptr<NEXmlRpcClient> current = client();
        if (current) {
            current->setExecuteResult(ExecOk);
            if (current->isExecuting()) {
                how = ExecRequestError;
            } else if (current->execute(method, params, result, timeoutSeconds)) {
                how = ExecOk;
                ok = true;
            } else {
                switch (current->lastFailure()) {
                case XmlRpc::XmlRpcClient::ConnectionSetup:
                    how = ExecConnectionError;
                    break;
                case XmlRpc::XmlRpcClient::RequestGeneration:
                case XmlRpc::XmlRpcClient::ResponseParse:
                case XmlRpc::XmlRpcClient::AlreadyExecuting:
                    how = ExecRequestError;
                    break;
                case XmlRpc::XmlRpcClient::NoFailure:
                case XmlRpc::XmlRpcClient::Exchange: {
                    const int state = current->connectionState();
                    if (current->executeResult() != ExecOk)
                        how = current->executeResult();
                    else if (timeoutSeconds >= 0.0
                        && (state == XmlRpc::XmlRpcClient::READ_HEADER || state == XmlRpc::XmlRpcClient::READ_RESPONSE))
                        how = ExecTimeout;
                    else
                        how = ExecConnectionError;
                    break;
                }
                }
            }
        }
    }
    if (outcome)
        *outcome = how;
    return ok;
}

bool NEXmlRpcThread::xmlrpc_execute(
    const char *method, const XmlRpc::XmlRpcValue &params, XmlRpc::XmlRpcValue &result, double timeoutSeconds) const
{
    return xmlrpc_execute(method, params, result, timeoutSeconds, nullptr);
}

// ---------------------------------------------------------------- command loop

void NEXmlRpcThread::run()
{
    if (debugOn())
        NELogger::instance()->debug(
            QStringLiteral("START thread %1 - queue type: %2").arg(threadInfo()).arg(static_cast<int>(m_queueType)));
    if (drainsCommandQueue()) {
        drainQueue();
        return;
    }
    // A polling kind without a loop of its own yet: it keeps its place in
    // the registry and takes no command from the queue of its machine.
    while (!abortOperations())
        waitTimeoutAbort(1000);
}

void NEXmlRpcThread::drainQueue()
{
    AXOCommData *store = AXOCommData::instance();
    const int driver = driverID();
    for (;;) {
        if (abortOperations())
            return;
        while (!pauseOperations() && !abortOperations()) {
            QMutexLocker running(&m_runMutex);
            NECommand *cmd = store->takeFirstCommand(driver, m_machineID, m_queueType);
            if (!cmd)
                break;
            manageCommand(cmd);
            running.unlock();
            // The last touch: from here on the command belongs to its worker
            // (or is finished here, signals and all, when nobody waits for
            // it; whatever a receiver then sends may run through this thread).
            cmd->releaseFromThread();
        }
        {
            // A command enqueued since the last look has set the pending
            // mark, so this wait cannot miss it; its time limit is only a
            // safety net, long enough that an idle thread costs nothing.
            QMutexLocker locker(&m_abortMutex);
            if (!m_abort && !m_workPending)
                m_waitCondition.wait(&m_abortMutex, kIdleWaitMs);
            m_workPending = false;
        }
        if (pauseOperations()) {
            if (debugOn())
                NELogger::instance()->debug(QStringLiteral("PAUSE thread %1").arg(threadInfo()));
            waitTimeoutAbort(200);
        }
    }
}

// ---------------------------------------------------------------- pipeline

bool NEXmlRpcThread::failCommand(NECommand *cmd, const char *code, const QString &message) const
{
    return cmd->setFailureExecution(FW_DriverError(message, QLatin1String(code)));
}

bool NEXmlRpcThread::manageCommand(NECommand *cmd)
{
    if (!cmd)
        return false;
    try {
        const QString name = cmd->command();
        const FunctionCallType callType = cmd->driverCallType();
        const bool machineCommand = cmd->machineID().machineNumber != 0;
        if (debugOn())
            NELogger::instance()->debug(QStringLiteral("Management of cmd: %1").arg(name));
        if (callType != AsyncCall)
            cmd->setExecutionStatus(CmdStatus::CMD_IN_PROGRESS);

        QString sessionID;
        FW_DriverError sessionError;
        if (!getSession(*cmd, sessionID, &sessionError))
            return failSession(cmd, sessionError);
        bool staleSession = false;
        if (!executeCall(sessionID, cmd, machineCommand ? &staleSession : nullptr)) {
            if (!staleSession)
                return false;
            // The driver no longer knows the session: it restarted, and with
            // it every session of this driver is gone. Log in again and send
            // the command once more (the driver refused it unrun).
            const int removed = AXOCommData::instance()->removeDriverSessions(cmd->driverID());
            NELogger::instance()->warning(
                QStringLiteral("Driver %1 lost its sessions (%2 forgotten); logging in again")
                    .arg(cmd->driverID())
                    .arg(removed));
            sessionID.clear();
            if (!getSession(*cmd, sessionID, &sessionError))
                return failSession(cmd, sessionError);
            if (!executeAXOCommandCall(sessionID, cmd))
                return false;
        }
        if (callType == AsyncCall && !pollTicket(cmd, sessionID))
            return false;
        if (debugOn())
            NELogger::instance()->debug(QStringLiteral("Management of cmd: %1 finished successfully").arg(name));
        return true;
    } catch (const FW_Exception &e) {
        return cmd->setFailureExecution(e.error());
    } catch (...) {
        return failCommand(cmd, "TE00147", QStringLiteral("Internal error in command management"));
    }
}

bool NEXmlRpcThread::failSession(NECommand *cmd, const FW_DriverError &error) const
{
    // Stopped before the look-up: no record; the release ends the command
    // "interrupted".
    return error.isValid() ? cmd->setFailureExecution(error) : false;
}

bool NEXmlRpcThread::pollTicket(NECommand *cmd, const QString &sessionID)
{
    const QString name = cmd->command();
    if (debugOn())
        NELogger::instance()->debug(QStringLiteral("Polling execution status of command: %1").arg(name));
    const std::unique_ptr<ProtoAnswer> answer = cmd->getProtoAnswer();
    const AsyncAnswer *ticket = dynamic_cast<const AsyncAnswer *>(answer.get());
    if (!ticket)
        return failCommand(cmd, "TE00298", QStringLiteral("Error creating async xml-rpc answer"));

    std::unique_ptr<NECommand> statusCmd;
    try {
        const GetCommandStatusCmd query(ticket->ticketID());
        statusCmd.reset(new NECommand(cmd->driverID(), cmd->machineID(), &query));
    } catch (const FW_Exception &e) {
        return cmd->setFailureExecution(e.error());
    } catch (...) {
        return failCommand(cmd, "TE00299", QStringLiteral("An error has occurred during command creation"));
    }

    if (debugOn())
        NELogger::instance()->debug(QStringLiteral("Checking execution status of command %1 with ticket ID %2")
                                        .arg(name)
                                        .arg(ticket->ticketID()));
    QElapsedTimer timer;
    timer.start();
    const qint64 limit = cmd->commandTimeout();
    std::unique_ptr<GetCommandStatusAnswer> finalAnswer;
    for (;;) {
        if (!executeAXOCommandCall(sessionID, statusCmd.get())) {
            // The driver's own records (e.g. a ticket it no longer knows) say why.
            const FW_ErrorList driverErrors = statusCmd->errors();
            if (!driverErrors.isEmpty())
                cmd->setFailureExecution(driverErrors);
            return failCommand(cmd, "TE00373", QStringLiteral("Error in command status send"));
        }
        const std::unique_ptr<ProtoAnswer> polled = statusCmd->getProtoAnswer();
        const GetCommandStatusAnswer *statusAnswer = dynamic_cast<const GetCommandStatusAnswer *>(polled.get());
        if (!statusAnswer)
            return failCommand(cmd, "TE00301", QStringLiteral("Error creating command status xml-rpc answer"));
        const CmdStatus status = statusAnswer->cmdStatus();
        if (debugOn())
            NELogger::instance()->debug(QStringLiteral("Polling execution status of command: %1 -> command status: %2")
                                            .arg(name, CmdStatus::getDescription(status.status())));
        if (status.isFinished()) {
            finalAnswer.reset(static_cast<GetCommandStatusAnswer *>(statusAnswer->clone()));
            break;
        }
        cmd->setExecutionStatus(status);
        waitTimeoutAbort(500);
        if ((limit > 0 && timer.elapsed() >= limit) || abortOperations()) {
            cmd->clearProtoAnswer();
            return failCommand(cmd, "TE00300", QStringLiteral("Command timed out"));
        }
    }

    const CmdStatus finalStatus = finalAnswer->cmdStatus();
    FW_DriverError decodeError;
    if (!cmd->setAnswer(finalStatus.resultValue(), false, &decodeError) && decodeError.isValid())
        return cmd->setFailureExecution(decodeError);
    bool decoded = false;
    const XmlRpcAnswer result = finalStatus.getXmlRpcAnswer(&decoded);
    if (!decoded)
        return failCommand(cmd, "TE00302", QStringLiteral("Error in async command decoding"));
    if (result.hasErrors()) {
        cmd->setErrors(result.errors());
    } else if (result.isCmdFailed()) {
        return failCommand(cmd, "TE00326", QStringLiteral("Internal error in driver command execution"));
    }
    cmd->setExecutionStatus(finalAnswer.get());
    return true;
}

bool NEXmlRpcThread::executeAXOCommandCall(const QString &sessionID, NECommand *cmd) const
{
    return executeCall(sessionID, cmd, nullptr);
}

bool NEXmlRpcThread::executeCall(const QString &sessionID, NECommand *cmd, bool *staleSession) const
{
    if (!cmd)
        return false;
    try {
        bool ok = false;
        const XmlRpc::XmlRpcValue params = cmd->toXmlRpcValue(sessionID, &ok);
        if (!ok || !params.valid())
            return failCommand(cmd, "TE00004", QStringLiteral("Invalid xml-rpc type for protocol command"));
        cmd->setCmdState(NECommand::NECmdSent);

        const FunctionCallType callType = cmd->driverCallType();
        const qint64 callTimeout = cmd->callTimeout();
        const double limit = callTimeout > 0 ? static_cast<double>(callTimeout) / 1000.0 : -1.0;
        const QString name = cmd->command();
        if (debugOn())
            NELogger::instance()->debug(QStringLiteral("EXEC CMD: %1 START").arg(name));
        const QByteArray method = ProtoCommandList::functionCallStr(callType).toLatin1();
        if (abortOperations())
            return false;

        XmlRpc::XmlRpcValue result;
        NEXmlRpcExecuteResult outcome = ExecOk;
        if (!xmlrpc_execute(method.constData(), params, result, limit, &outcome)) {
            if (outcome == ExecTimeout)
                return failCommand(cmd, "TE00400", QStringLiteral("Command %1 timed out").arg(name));
            const NEDriverParams driver = driverParams();
            return failCommand(cmd, "TE00005",
                QStringLiteral("%1 %2 %3 - %4:%5")
                    .arg(QStringLiteral("Connection to"), QStringLiteral("AXOdriver"), QStringLiteral("not available"),
                        driver.ipAddress())
                    .arg(driver.port()));
        }
        if (debugOn())
            NELogger::instance()->debug(QStringLiteral("EXEC CMD: %1 END").arg(name));

        FW_DriverError decodeError;
        if (!cmd->setAnswer(result, callType == AsyncCall, &decodeError)) {
            if (decodeError.isValid())
                return cmd->setFailureExecution(decodeError);
            return failCommand(cmd, "TE00372", QStringLiteral("Error creating xml-rpc answer"));
        }
        bool valid = false;
        const std::unique_ptr<XmlRpcAnswer> answer = cmd->getXmlRpcAnswer(&valid);
        if (!answer || !valid)
            return failCommand(cmd, "TE00146", QStringLiteral("Error creating xml-rpc answer"));
        if (staleSession && answer->returnCode() == ProtoAnswer::RC_INVALID_SESSION) {
            cmd->clearProtoAnswer();
            *staleSession = true;
            return false;
        }
        if (answer->hasErrors())
            return cmd->setFailureExecution(answer->errors());
        if (callType != AsyncCall)
            cmd->setExecutionStatus(answer.get());
        return true;
    } catch (const XmlRpc::XmlRpcException &e) {
        return failCommand(cmd, "TE00416",
            QStringLiteral("%1: %2 (%3)")
                .arg(QStringLiteral("Internal error in command management"), QString::fromStdString(e.getMessage()))
                .arg(e.getCode()));
    } catch (...) {
        return failCommand(cmd, "TE00415", QStringLiteral("Internal error in command management"));
    }
}

bool NEXmlRpcThread::getSession(const NECommand &cmd, QString &sessionID, FW_DriverError *error) const
{
    const MachineID machine = cmd.machineID();
    if (machine.machineNumber == 0) {
        // Driver-level commands travel without a session. A machine command
        // addressed to the generic machine (one that names its machine in its
        // parameters, e.g. a machine configuration to save) travels in the
        // generic machine's session, which carries the access level.
        Session generic;
        if (ProtoCommandList::addressMachine(cmd.command())
            && AXOCommData::instance()->getSession(cmd.driverID(), machine, generic))
            sessionID = generic.getSessionID();
        return true;
    }
    if (abortOperations())
        return false;

    // The cheap look-ups first, without waiting for anybody.
    AXOCommData *store = AXOCommData::instance();
    const int driver = cmd.driverID();
    Session session;
    if (store->getSession(driver, machine, session) && session.machineID().machineNumber != 0) {
        sessionID = session.getSessionID();
        return true;
    }
    if (!store->hasSessions(driver)) {
        // One thread of the driver logs in again; the others wait for it and
        // then find the sessions it stored.
        QMutexLocker locker(sessionMutex(driver));
        if (store->getSession(driver, machine, session) && session.machineID().machineNumber != 0) {
            sessionID = session.getSessionID();
            return true;
        }
        if (!store->hasSessions(driver) && relogin(cmd, sessionID))
            return true;
    }
    if (error)
        *error = FW_DriverError(QStringLiteral("Invalid session for command"), QStringLiteral("TE00200"));
    return false;
}

bool NEXmlRpcThread::relogin(const NECommand &cmd, QString &sessionID) const
{
    const MachineID machine = cmd.machineID();
    const int driver = cmd.driverID();
    AXOCommData *store = AXOCommData::instance();
    if (!pingDriver(5.0))
        return false;
    bool loggedIn = false;
    for (int attempt = 0; attempt < 3 && !loggedIn && !abortOperations(); ++attempt) {
        loggedIn = NECmdManager::login(driver, MachineID(0, machine.machineType), store->clientID());
        if (!loggedIn)
            waitTimeoutAbort(200);
    }
    if (!loggedIn)
        return false;
    bool stored = false;
    QList<int> numbers;
    if (NECmdManager::getDispenserList(driver, numbers)) {
        QList<MachineID> ids;
        for (int number : numbers)
            ids.append(MachineID(number, MachineID::Dispenser));
        stored = NECmdManager::setSessions(driver, ids, true) || stored;
    }
    numbers.clear();
    if (NECmdManager::getMixerList(driver, numbers)) {
        QList<MachineID> ids;
        for (int number : numbers)
            ids.append(MachineID(number, MachineID::Mixer));
        stored = NECmdManager::setSessions(driver, ids, true) || stored;
    }
    if (!stored)
        return false;
    // Send the command with the session just made.
    Session session;
    if (store->getSession(driver, machine, session))
        sessionID = session.getSessionID();
    return true;
}
