#include "AXOClientSettings.h"

#include "SessionKeys.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QSettings>

const char AXOClientSettings::UseOpenSslKey[] = "AXOServiceUSEOPENSSL";
const char AXOClientSettings::DriverIPKey[] = "AXODriverIP";
const char AXOClientSettings::RootEnvironmentVariable[] = "AXOCOMM_SETTINGS_ROOT";
const char AXOClientSettings::ProtocolSecretKey[] = "AXOProtocolSecret";
const char AXOClientSettings::ProtocolSecretFileKey[] = "AXOProtocolSecretFile";
const char AXOClientSettings::AccessLevelKey[] = "AXOAccessLevel";
const char AXOClientSettings::TlsCaFileKey[] = "AXOTlsCaFile";
const char AXOClientSettings::TlsPeerNameKey[] = "AXOTlsPeerName";

namespace {

QString stringValue(const char *key)
{
    const QSettings settings(AXOClientSettings::filePath(), QSettings::IniFormat);
    return settings.value(QLatin1String(key)).toString();
}

} // namespace

QString AXOClientSettings::rootPath()
{
    QString root = qEnvironmentVariable(RootEnvironmentVariable);
    if (root.isEmpty())
        root = QDir::rootPath();
    root = QDir::fromNativeSeparators(root);
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return root;
}

QString AXOClientSettings::filePath()
{
    return QDir::toNativeSeparators(QStringLiteral("%1%2%3%4%5%6")
                                        .arg(rootPath(), QStringLiteral("wuser"), QDir::separator(),
                                             QStringLiteral("CommonSettings"), QDir::separator(),
                                             QStringLiteral("commonSettings")));
}

bool AXOClientSettings::useOpenSsl()
{
    const QSettings settings(filePath(), QSettings::IniFormat);
    return settings.value(QLatin1String(UseOpenSslKey), false).toBool();
}

QString AXOClientSettings::driverIP()
{
    return stringValue(DriverIPKey);
}

int AXOClientSettings::accessLevel()
{
    const QSettings settings(filePath(), QSettings::IniFormat);
    bool ok = false;
    const int level = settings.value(QLatin1String(AccessLevelKey)).toString().trimmed().toInt(&ok);
    return ok && level >= 1 && level <= 3 ? level : 1;
}

QByteArray AXOClientSettings::protocolSecret(QString *error)
{
    const QSettings settings(filePath(), QSettings::IniFormat);
    const QString text = settings.value(QLatin1String(ProtocolSecretKey)).toString();
    const QString path = settings.value(QLatin1String(ProtocolSecretFileKey)).toString();
    if (text.isEmpty() && path.isEmpty())
        return QByteArray();
    QByteArray secret;
    if (!text.isEmpty()) {
        secret = SessionKeys::secretFromText(text.toLatin1());
    } else {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            secret = SessionKeys::secretFromText(file.read(4096));
    }
    if (secret.isEmpty() && error)
        *error = QStringLiteral("%1 is not a protocol secret (64 hex digits)")
                     .arg(text.isEmpty() ? path : QLatin1String(ProtocolSecretKey));
    return secret;
}

QString AXOClientSettings::tlsCaFile()
{
    return stringValue(TlsCaFileKey);
}

QString AXOClientSettings::tlsPeerName()
{
    return stringValue(TlsPeerNameKey);
}

bool AXOClientSettings::isLocalDriver()
{
    return driverIP() == QLatin1String("127.0.0.1");
}
