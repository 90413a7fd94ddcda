#include "NECmdManager.h"

#include "AXOClientSettings.h"
#include "AXOCommData.h"
#include "AXODriverConnection.h"
#include "CertifySessionAnswer.h"
#include "CertifySessionCmd.h"
#include "FW_Configuration.h"
#include "FW_Exception.h"
#include "GetKeyAnswer.h"
#include "GetKeyCmd.h"
#include "LoginAnswer.h"
#include "LoginCmd.h"
#include "LogoutCmd.h"
#include "NECommand.h"
#include "NEDriverCredentials.h"
#include "NEQueueThread.h"
#include "NELogger.h"
#include "ProtoCommandList.h"
#include "Session.h"
#include "SessionKeys.h"
#include "XmlRpcClient.h"

#include <QtCore/QMutex>

#include <QtCore/QFile>

#include <memory>

namespace {

const int kSessionLifetime = 20;

void report(int driverID, const MachineID &machineID, const QString &message, const char *code)
{
    AXOCommData::instance()->setError(driverID, machineID, FW_DriverError(message, QLatin1String(code)), false,
                                      AXOCommData::EmitAlways);
}

// Builds a command from a protocol command and runs it blocking on a copy;
// the copy, executed, comes back. Null when it could not be built.
std::unique_ptr<NECommand> runProtoCommand(int driverID, const MachineID &machineID, const ProtoCommand &proto)
{
    std::unique_ptr<NECommand> cmd(new NECommand(driverID, machineID, &proto));
    AXOCommData::instance()->sendCommand(cmd.get(), true, true);
    return cmd;
}

QString machineText(const MachineID &id)
{
    return id.typeText();
}

QMutex s_hostSecretMutex;
QByteArray s_hostSecret;
int s_hostAccessLevel = 0; // guarded by s_hostSecretMutex; 0: the settings'

// The access level of the next login: the host's, else the settings'.
int requestedAccessLevel()
{
    {
        QMutexLocker locker(&s_hostSecretMutex);
        if (s_hostAccessLevel > 0)
            return s_hostAccessLevel;
    }
    return AXOClientSettings::accessLevel();
}

// The secret of the next handshake: the host's, else the settings', else the
// built-in default.
void applyProtocolSecret(int driverID)
{
    QByteArray secret;
    {
        QMutexLocker locker(&s_hostSecretMutex);
        secret = s_hostSecret;
    }
    if (secret.isEmpty()) {
        QString error;
        secret = AXOClientSettings::protocolSecret(&error);
        if (!error.isEmpty())
            NELogger::instance()->error(
                QStringLiteral("Driver %1: %2; the built-in secret is used").arg(driverID).arg(error));
    }
    SessionKeys::setClientSecret(secret);
}

} // namespace

NECmdManager::NECmdManager(QObject *parent) : QObject(parent)
{
    connectReactions();
}

NECmdManager::~NECmdManager() = default;

// ---------------------------------------------------------------- execution

bool NECmdManager::executeCommand(NECommand *cmd, bool blocking, bool copy)
{
    if (!cmd) {
        AXOCommData::instance()->setError(
            FW_DriverError(QStringLiteral("Internal error in command enqueuing"), QStringLiteral("TE00186")), false,
            AXOCommData::EmitAlways);
        return false;
    }
    return AXOCommData::instance()->sendCommand(cmd, blocking, copy);
}

bool NECmdManager::executeCommandPumped(NECommand *cmd)
{
    if (!cmd) {
        AXOCommData::instance()->setError(
            FW_DriverError(QStringLiteral("Internal error in command enqueuing"), QStringLiteral("TE00186")), false,
            AXOCommData::EmitAlways);
        return false;
    }
    cmd->setBlockingCall(true);
    NEQueueThread worker(cmd, false);
    const bool ran = worker.executeCommands(true);
    if (cmd->hasErrors())
        AXOCommData::instance()->appendErrorList(cmd->driverID(), cmd->machineID(), cmd->errors());
    return ran;
}

bool NECmdManager::executeCommands(const QList<NECommand *> &cmds, bool blocking, bool copy)
{
    if (cmds.isEmpty()) {
        AXOCommData::instance()->setError(
            FW_DriverError(QStringLiteral("Internal error in command enqueuing"), QStringLiteral("TE00187")), false,
            AXOCommData::EmitAlways);
        return false;
    }
    return AXOCommData::instance()->sendCommands(cmds, blocking, copy);
}

// ---------------------------------------------------------------- sessions

bool NECmdManager::login(int driverID, const MachineID &machineID, const QString &clientID)
{
    AXOCommData *store = AXOCommData::instance();
    if (store->existSession(driverID, machineID)) {
        report(driverID, machineID,
               QStringLiteral("Session for machine ID %1 type %2 already exists")
                   .arg(machineID.machineNumber)
                   .arg(machineText(machineID)),
               "TE00297");
        return true;
    }

    applyProtocolSecret(driverID);
    const int accessLevel = requestedAccessLevel();
    // The handshake needs no session, so a machine without a command thread
    // of its own (the generic mixer at communication level 0) logs in
    // through the generic dispenser's thread; the machine travels in the
    // login's parameters.
    const MachineID route =
        store->existsDriverCommThread(driverID, machineID, NEDriverParams::StandardCommandsThread)
        ? machineID
        : MachineID(0, MachineID::Dispenser);
    const char *stepCode = "TE00012";
    try {
        const std::unique_ptr<NECommand> loginCmd =
            runProtoCommand(driverID, route, LoginCmd(machineID, clientID, kSessionLifetime, accessLevel));
        const std::unique_ptr<LoginAnswer> login = loginCmd->answerAs<LoginAnswer>();
        if (!login) {
            report(driverID, machineID, QStringLiteral("Error in login command"), "TE00177");
            return false;
        }
        const QString sessionID = login->sessionID();
        if (sessionID.isEmpty()) {
            // Refused by the driver (e.g. an access level it does not grant):
            // its records say why.
            if (loginCmd->hasErrors())
                store->appendErrorList(driverID, machineID, loginCmd->errors());
            else
                report(driverID, machineID, QStringLiteral("Error in login command"), "TE00177");
            return false;
        }

        QString clientKey;
        int n = 0;
        GetKeyCmd::createSharedKey(clientKey, n, machineID, clientID, accessLevel);
        stepCode = "TE00031";
        const std::unique_ptr<NECommand> keyCmd = runProtoCommand(driverID, route, GetKeyCmd(sessionID, clientKey));
        const std::unique_ptr<GetKeyAnswer> key = keyCmd->answerAs<GetKeyAnswer>();
        if (!key) {
            report(driverID, machineID, QStringLiteral("Error in get key command"), "TE00178");
            return false;
        }

        const QString loginKey = GetKeyCmd::createLoginKey(key->driverKey(), n);
        stepCode = "TE00030";
        const std::unique_ptr<NECommand> certifyCmd =
            runProtoCommand(driverID, route, CertifySessionCmd(sessionID, loginKey));
        const std::unique_ptr<CertifySessionAnswer> certify = certifyCmd->answerAs<CertifySessionAnswer>();
        if (!certify) {
            report(driverID, machineID, QStringLiteral("Error in certify session command"), "TE00179");
            return false;
        }
        const bool certified = certify->certified();
        if (certified)
            store->appendSession(
                Session(driverID, machineID, clientID, kSessionLifetime, sessionID, loginKey, certified));
        return certified;
    } catch (...) {
        report(driverID, machineID, QStringLiteral("Errors during NECommand creation"), stepCode);
        return false;
    }
}

bool NECmdManager::setProtocolSecret(const QByteArray &secret)
{
    if (!secret.isEmpty() && secret.size() != SessionKeys::SecretBytes)
        return false;
    QMutexLocker locker(&s_hostSecretMutex);
    s_hostSecret = secret;
    return true;
}

bool NECmdManager::setAccessLevel(int level)
{
    if (level < 0 || level > 3)
        return false;
    QMutexLocker locker(&s_hostSecretMutex);
    s_hostAccessLevel = level;
    return true;
}

bool NECmdManager::logout(int driverID, const MachineID &machineID)
{
    AXOCommData *store = AXOCommData::instance();
    const QString sessionID = store->getSessionID(driverID, machineID);
    try {
        const LogoutCmd logoutCmd(sessionID);
        std::unique_ptr<NECommand> cmd(new NECommand(driverID, machineID, &logoutCmd));
        if (!store->sendCommand(cmd.get(), true, true))
            return false;
        store->removeSession(sessionID);
        return !cmd->hasErrors();
    } catch (const FW_Exception &e) {
        store->setError(driverID, machineID, e.error(), false, AXOCommData::EmitAlways);
        return false;
    } catch (...) {
        report(driverID, machineID, QStringLiteral("Errors during NECommand creation"), "TE00011");
        return false;
    }
}

bool NECmdManager::setSessions(int driverID, const QList<MachineID> &machineIDs, bool force)
{
    if (machineIDs.isEmpty())
        return false;
    AXOCommData *store = AXOCommData::instance();
    bool ok = true;
    for (const MachineID &id : machineIDs) {
        if (store->existSession(driverID, id) && !force)
            continue;
        if (!login(driverID, id, store->getFirstClientID(true))) {
            report(driverID, id,
                   QStringLiteral("Internal error in login (machine id: %1 - type: %2)")
                       .arg(id.machineNumber)
                       .arg(machineText(id)),
                   "TE00286");
            ok = false;
        }
    }
    return ok;
}

bool NECmdManager::refreshSessions(int driverID, const FW_Configuration &configuration)
{
    const QList<MachineID> configured = configuration.getMachinesID();
    bool ok = setSessions(driverID, configured, false);
    for (const MachineID &id : AXOCommData::instance()->getSessionsMachineIDs()) {
        if (configured.contains(id) || id.machineNumber <= 0)
            continue;
        const bool loggedOut = logout(driverID, id);
        ok = ok && loggedOut;
        if (!loggedOut)
            report(driverID, id,
                   QStringLiteral("Internal error in dispenser logout (%1)")
                       .arg(QStringLiteral("ID %1 - TYPE: %2").arg(id.machineNumber).arg(machineText(id))),
                   "TE00287");
    }
    return ok;
}

// ---------------------------------------------------------------- ping

bool NECmdManager::ping(const AXODriverConnection &connection, int timeoutSeconds)
{
    return pingEndpoint(connection, static_cast<double>(timeoutSeconds));
}

bool NECmdManager::pingEndpoint(const AXODriverConnection &connection, double timeoutSeconds)
{
    const QByteArray host = connection.ipAddress().toLatin1();
    std::unique_ptr<XmlRpc::XmlRpcClient> client;
    if (AXOClientSettings::useOpenSsl()) {
        const std::string login = NEDriverCredentials::login();
        const std::string password = NEDriverCredentials::password();
        const std::string certPath = connection.certPath().toStdString();
        client.reset(new XmlRpc::XmlRpcClient(host.constData(), connection.port(), login.c_str(), password.c_str(),
                                              certPath.c_str(), true));
        client->setPeerVerification(QFile::encodeName(AXOClientSettings::tlsCaFile()).toStdString(),
                                    AXOClientSettings::tlsPeerName().toStdString());
    } else {
        client.reset(new XmlRpc::XmlRpcClient(host.constData(), connection.port()));
    }
    XmlRpc::XmlRpcValue result;
    const bool answered = client->execute("PING", XmlRpc::XmlRpcValue(), result, timeoutSeconds);
    client->close();
    return answered;
}

bool NECmdManager::ping(int driverID, int timeoutSeconds)
{
    return AXOCommData::instance()->pingDriverCommThread(driverID, static_cast<double>(timeoutSeconds));
}
