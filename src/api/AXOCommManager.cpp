#include "AXOCommManager.h"

#include "AXOClientSettings.h"
#include "AXOCurrentCommData.h"
#include "AXODriverConnection.h"
#include "FW_Configuration.h"
#include "FW_DriverError.h"
#include "FW_Exception.h"
#include "GetActiveDispAnswer.h"
#include "NECmdManager.h"
#include "NECommand.h"
#include "NEDriverParams.h"
#include "NEDriverParamsList.h"
#include "NELogger.h"
#include "ProtoCommandList.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QMutex>
#include <QtCore/QSettings>
#include <QtCore/QTemporaryFile>
#include <QtCore/QVersionNumber>

#include <memory>

static void initCertificateResource()
{
    Q_INIT_RESOURCE(certificates);
}

AXOCommManager *AXOCommManager::m_Instance = nullptr;

namespace {
QMutex s_instanceMutex;
const char kCertificateResource[] = ":/certificate/cert_client.pem";
} // namespace

AXOCommManager::AXOCommManager(QObject *parent) : QObject(parent)
{
    // The store's command signals cross threads with these.
    qRegisterMetaType<NECommand>("NECommand");
    qRegisterMetaType<AXOCommData::CommandEvent>("AXOCommData::CommandEvent");
    qRegisterMetaType<AXOCommManager::CommTasks>("AXOCommManager::CommTasks");
    qRegisterMetaType<AXOCommManager::CommMgsID>("AXOCommManager::CommMgsID");
}

AXOCommManager::~AXOCommManager()
{
    AXOCommData::instance()->closeAllConnections(-1, true);
    for (const QString &path : qAsConst(m_certFiles))
        QFile::remove(path);
}

AXOCommManager *AXOCommManager::instance()
{
    QMutexLocker locker(&s_instanceMutex);
    if (!m_Instance)
        m_Instance = new AXOCommManager();
    return m_Instance;
}

void AXOCommManager::drop()
{
    QMutexLocker locker(&s_instanceMutex);
    delete m_Instance;
    m_Instance = nullptr;
}

QString AXOCommManager::getCertsFilePath()
{
    initCertificateResource();
    QTemporaryFile certFile(QDir::tempPath() + QStringLiteral("/AXOSer_certsXXXXXX.azsxdc"));
    QFile resource(QString::fromLatin1(kCertificateResource));

    NELogger::instance()->debug(
        QStringLiteral("Loading certificate from Qt resource: %1").arg(QLatin1String(kCertificateResource)));

    if (!certFile.open()) {
        NELogger::instance()->error(
            QStringLiteral("Failed to create temporary certificate file: %1").arg(certFile.errorString()));
        return certFile.fileName();
    }

    if (!resource.open(QIODevice::ReadOnly | QIODevice::Text)) {
        NELogger::instance()->error(QStringLiteral("Failed to open certificate resource: %1 - Error: %2")
                                        .arg(QLatin1String(kCertificateResource), resource.errorString()));
    } else {
        const qint64 written = certFile.write(resource.readAll());
        resource.close();
        NELogger::instance()->info(QStringLiteral("Certificate loaded successfully: %1 bytes written to %2")
                                       .arg(written)
                                       .arg(certFile.fileName()));
    }

    certFile.setAutoRemove(false);
    certFile.close();
    QMutexLocker locker(&m_certFilesMutex);
    m_certFiles.append(certFile.fileName());
    return certFile.fileName();
}

QString AXOCommManager::CommTaskStr(CommTasks task)
{
    switch (task) {
    case CommInit:
        return QStringLiteral("Communication init");
    case CalibrationProfilesLoad:
        return QStringLiteral("Calibration profiles load");
    case ConfigurationLoad:
        return QStringLiteral("Configuration load");
    case CommStart:
        return QStringLiteral("Communication start");
    }
    return QString();
}

QString AXOCommManager::CommMgsIDStr(CommMgsID msgID)
{
    switch (msgID) {
    case General:
        return QStringLiteral("General");
    case UnsupportedConfiguration:
        return QStringLiteral("Unsupported configuration");
    case NoMachineConnected:
        return QStringLiteral("No machine connected load");
    case NoConfigurationPresent:
        return QStringLiteral("No configuration present");
    case UnknownMachineModels:
        return QStringLiteral("Unknown machine models");
    }
    return QString();
}

// ---------------------------------------------------------------- start

bool AXOCommManager::fail(int driverID, CommTasks task, const char *code, const QString &message, CommMgsID msgID)
{
    AXOCommData::instance()->setError(driverID, FW_DriverError(message, QLatin1String(code)), false,
                                      AXOCommData::EmitAlways);
    emit CommTaskCompleted(task, false, msgID);
    return false;
}

bool AXOCommManager::startAXODriverComm(QString clientID, const AXODriverConnection &connection,
                                        AXOCommData::CommLevel level, bool mixerMngm)
{
    AXOCommData *store = AXOCommData::instance();

    // Task 1: probe, register, command threads, logins, version.
    emit CommTaskStarted(CommInit);
    if (store->getDriverParamsList().hasAXODriverConnection(connection)) {
        NELogger::instance()->warning(QStringLiteral("Driver %1:%2 is already started")
                                          .arg(connection.ipAddress())
                                          .arg(connection.port()));
        emit CommTaskCompleted(CommInit, false, General);
        return false;
    }
    const int driverID = store->getNextDriverID();
    NEDriverParams params(driverID, connection);
    if (!AXOCommData::checkDriverConnection(params))
        return fail(driverID, CommInit, "TE00333", QStringLiteral("Connection to driver not available"));
    // A start after a stop: the queue workers follow their commands again.
    store->resetQueueThreadsAbort();
    store->addDriverParams(params);
    if (!startCommandThreads(driverID, level, mixerMngm))
        return fail(driverID, CommInit, "TE00305", QStringLiteral("Cannot start communication"));
    if (!NECmdManager::login(driverID, MachineID(0, MachineID::Dispenser), clientID))
        return fail(driverID, CommInit, "TE00304", QStringLiteral("Login procedure failed"));
    if (mixerMngm && !NECmdManager::login(driverID, MachineID(0, MachineID::Mixer), clientID))
        return fail(driverID, CommInit, "TE00514", QStringLiteral("Login procedure failed"));
    store->setClientID(clientID);
    QVersionNumber version;
    if (NECmdManager::getDriverVersion(driverID, version)) {
        store->setDriverVersion(driverID, version);
    } else {
        store->setError(driverID, FW_DriverError(QStringLiteral("Driver version read failed"), QStringLiteral("TE00453")),
                        false, AXOCommData::EmitAlways);
    }
    emit CommTaskCompleted(CommInit, true, General);

    // Tasks 2 and 4: calibration profiles and configuration.
    FW_Configuration configuration;
    if (level >= AXOCommData::CommLevel2) {
        if (!loadProfiles(driverID) || !loadConfiguration(driverID, configuration))
            return false;
    }

    // Task 8: active machines, polling and configuration threads, current machine.
    return startCommunication(driverID, level, mixerMngm, configuration);
}

bool AXOCommManager::startCommandThreads(int driverID, AXOCommData::CommLevel level, bool mixerMngm)
{
    AXOCommData *store = AXOCommData::instance();
    const MachineID genericDispenser(0, MachineID::Dispenser);
    const MachineID driverWide(0, 0);
    const MachineID genericMixer(0, MachineID::Mixer);
    bool result = store->startDriverCommThread(driverID, genericDispenser, NEDriverParams::StandardCommandsThread);
    if (level >= AXOCommData::CommLevel1)
        result = store->startDriverCommThread(driverID, genericDispenser, NEDriverParams::PriorityCommandsThread)
            && result;
    result = store->startDriverCommThread(driverID, driverWide, NEDriverParams::StandardCommandsThread) && result;
    result = store->startDriverCommThread(driverID, driverWide, NEDriverParams::PriorityCommandsThread) && result;
    if (level >= AXOCommData::CommLevel1 && mixerMngm) {
        result = store->startDriverCommThread(driverID, genericMixer, NEDriverParams::StandardCommandsThread)
            && result;
        result = store->startDriverCommThread(driverID, genericMixer, NEDriverParams::PriorityCommandsThread)
            && result;
    }
    return result;
}

bool AXOCommManager::loadProfiles(int driverID)
{
    emit CommTaskStarted(CalibrationProfilesLoad);
    if (!NECmdManager::loadCalibrationProfiles(driverID, 0))
        return fail(driverID, CalibrationProfilesLoad, "TE00348", QStringLiteral("Cannot read calibration profiles"));
    emit CommTaskCompleted(CalibrationProfilesLoad, true, General);
    return true;
}

bool AXOCommManager::loadConfiguration(int driverID, FW_Configuration &configuration)
{
    AXOCommData *store = AXOCommData::instance();
    emit CommTaskStarted(ConfigurationLoad);
    if (!NECmdManager::loadConfiguration(driverID, true))
        return fail(driverID, ConfigurationLoad, "TE00306", QStringLiteral("Cannot read configuration"));
    configuration = store->getSharedConfiguration(driverID);
    NECmdManager::loadFactoryConfiguration(driverID, true);

    FW_DriverError invalid;
    if (!FW_Configuration::isValid(configuration, &invalid)) {
        const QString message =
            QStringLiteral("%1 (%2)").arg(QStringLiteral("Unsupported configuration file"), invalid.errorCode());
        return fail(driverID, ConfigurationLoad, "TE00562", message, UnsupportedConfiguration);
    }
    CommMgsID message = General;
    const QStringList unknown = configuration.unknownModelMachines();
    if (!unknown.isEmpty()) {
        NELogger::instance()->warning(
            QStringLiteral("Configuration contains machines of unknown model (newer software version?): %1")
                .arg(unknown.join(QStringLiteral(", "))));
        message = UnknownMachineModels;
    }
    emit CommTaskCompleted(ConfigurationLoad, true, message);
    return true;
}

bool AXOCommManager::startCommunication(int driverID, AXOCommData::CommLevel level, bool mixerMngm,
                                        const FW_Configuration &configuration)
{
    AXOCommData *store = AXOCommData::instance();
    emit CommTaskStarted(CommStart);
    const int typeMask = MachineID::Dispenser | (mixerMngm ? MachineID::Mixer : 0);

    QList<MachineID> activeMachines;
    QList<MachineID> allMachines;
    try {
        NECommand cmd(driverID, MachineID(0, 0), ProtoCommandList::cmdStr(ProtoCommandList::GET_ACTIVE_DISP));
        cmd.setSilentExecution(true);
        if (NECmdManager::executeCommand(&cmd, true, true) && cmd.isExecuted()) {
            const std::unique_ptr<GetActiveDispAnswer> answer = cmd.answerAs<GetActiveDispAnswer>();
            if (answer) {
                activeMachines = answer->getActiveMachineIDs(typeMask);
                allMachines = answer->getMachineIDs(typeMask);
            }
        }
    } catch (const FW_Exception &e) {
        store->setError(driverID, e.error(), false, AXOCommData::EmitAlways);
        emit CommTaskCompleted(CommStart, false, General);
        return false;
    } catch (...) {
        return fail(driverID, CommStart, "TE00307", QStringLiteral("Errors during command execution"));
    }

    bool result = false;
    const MachineID genericDispenser(0, MachineID::Dispenser);
    if (level >= AXOCommData::CommLevel1) {
        result = store->startDriverCommThread(driverID, genericDispenser, NEDriverParams::ActiveMachineThread)
            || result;
        if (mixerMngm)
            result = store->startDriverCommThread(driverID, MachineID(0, MachineID::Mixer),
                                                  NEDriverParams::ActiveMachineThread)
                || result;
    }
    if (level >= AXOCommData::CommLevel2)
        result = store->startDriverCommThread(driverID, genericDispenser, NEDriverParams::ConnectionStatusThread)
            || result;
    for (const MachineID &machine : allMachines)
        result = store->startDriverCommThread(driverID, machine, NEDriverParams::ConfigurationCommandsThread) || result;

    AXOCurrentCommData *current = AXOCurrentCommData::instance();
    if (!activeMachines.isEmpty()) {
        current->setCurrentMachineID(activeMachines.first());
    } else if (level >= AXOCommData::CommLevel2) {
        const FW_Configuration shared = store->getSharedConfiguration(driverID);
        if (shared.numOfMachines(MachineID::AllTypes, false) > 0)
            current->setCurrentMachineID(shared.getFirstMachineID());
    }
    current->setCurrentDriverID(driverID);

    CommMgsID message = General;
    if (activeMachines.isEmpty() && level >= AXOCommData::CommLevel2)
        message = configuration.numOfMachines(MachineID::AllTypes, false) > 0 ? NoMachineConnected
                                                                               : NoConfigurationPresent;
    store->setCommLevel(level);
    store->setMixerMngm(mixerMngm);
    emit CommTaskCompleted(CommStart, result, message);
    return result;
}

bool AXOCommManager::startDriversComm(QString clientID, const AXODriverConnection &connection)
{
    return startAXODriverComm(clientID, connection, AXOCommData::CommLevel1, false);
}

bool AXOCommManager::startAXODriverEncryptedOrNot(QString clientID, QString ip, int port,
                                                  AXOCommData::CommLevel level)
{
    const bool useOpenSsl = AXOClientSettings::useOpenSsl();
    const QString certPath = getCertsFilePath();
    AXODriverConnection connection;
    connection.setDefaults();
    connection.setHostAddress(QHostAddress(ip));
    connection.setPort(port);
    connection.setCertsPath(useOpenSsl ? certPath : QString());
    if (!useOpenSsl)
        QFile::remove(certPath);
    return instance()->startAXODriverComm(clientID, connection, level, true);
}

bool AXOCommManager::startSimulatedAXODriverComm()
{
    AXOCommData *store = AXOCommData::instance();
    AXODriverConnection connection;
    connection.setDefaults();
    store->addDriverParams(NEDriverParams(store->getNextDriverID(), connection));
    return true;
}

bool AXOCommManager::startSlaveDriverComm()
{
    return true;
}

bool AXOCommManager::startDriverManager()
{
    return true;
}

void AXOCommManager::stopDriversComm(int driverID, bool wait)
{
    AXOCommData *store = AXOCommData::instance();
    store->closeAllConnections(driverID, wait);
    // The driver's sessions go with it: a later start of the same driver ID
    // logs in anew instead of finding sessions of a closed connection. The
    // driver lets the abandoned ones expire.
    if (driverID < 0)
        store->removeAllSessions();
    else
        store->removeDriverSessions(driverID);
}
