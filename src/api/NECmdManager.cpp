#include "NECmdManager.h"

#include "AXOClientSettings.h"
#include "AXODriverConnection.h"
#include "NECommand.h"
#include "NEDriverCredentials.h"
#include "XmlRpcClient.h"

#include <memory>

NECmdManager::NECmdManager(QObject *parent) : QObject(parent)
{
}

bool NECmdManager::ping(const AXODriverConnection &connection, int timeoutSeconds)
{
    const QByteArray host = connection.ipAddress().toLatin1();
    std::unique_ptr<XmlRpc::XmlRpcClient> client;
    if (AXOClientSettings::useOpenSsl()) {
        const std::string login = NEDriverCredentials::login();
        const std::string password = NEDriverCredentials::password();
        const std::string certPath = connection.certPath().toStdString();
        client.reset(new XmlRpc::XmlRpcClient(host.constData(), connection.port(), login.c_str(),
                                              password.c_str(), certPath.c_str(), true));
    } else {
        client.reset(new XmlRpc::XmlRpcClient(host.constData(), connection.port()));
    }
    XmlRpc::XmlRpcValue result;
    const bool answered =
        client->execute("PING", XmlRpc::XmlRpcValue(), result, static_cast<double>(timeoutSeconds));
    client->close();
    return answered;
}

bool NECmdManager::hasFormulaProgressSupported(NECommand *cmd)
{
    return cmd && cmd->isErogationCommand(true) && isFormulaProgressSupported(cmd->driverID(), cmd->targetDispID(), true);
}

bool NECmdManager::isFormulaProgressSupported(int, int, bool)
{
    // A dispenser qualifies only once its command list and firmware program
    // are known, which the store learns when the machine is started.
    return false;
}

bool NECmdManager::getFormulaExecution(int, int, const Formula &, FormulaProgress &)
{
    return false;
}
