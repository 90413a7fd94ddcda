#include "AXOCommManager.h"

#include "NELogger.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QMutex>
#include <QtCore/QTemporaryFile>

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
}

AXOCommManager::~AXOCommManager() = default;

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
    return certFile.fileName();
}
