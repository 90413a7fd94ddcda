#include "AXOClientSettings.h"

#include <QtCore/QDir>
#include <QtCore/QSettings>

const char AXOClientSettings::UseOpenSslKey[] = "AXOServiceUSEOPENSSL";
const char AXOClientSettings::DriverIPKey[] = "AXODriverIP";
const char AXOClientSettings::RootEnvironmentVariable[] = "AXOCOMM_SETTINGS_ROOT";

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
    const QSettings settings(filePath(), QSettings::IniFormat);
    return settings.value(QLatin1String(DriverIPKey)).toString();
}

bool AXOClientSettings::isLocalDriver()
{
    return driverIP() == QLatin1String("127.0.0.1");
}
