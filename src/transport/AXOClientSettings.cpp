#include "AXOClientSettings.h"

#include "SessionKeys.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QHash>
#include <QtCore/QMutex>
#include <QtCore/QSettings>
#include <QtCore/QVariant>

#include <algorithm>
#include <ctime>
#include <sys/stat.h>

const char AXOClientSettings::UseOpenSslKey[] = "AXOServiceUSEOPENSSL";
const char AXOClientSettings::DriverIPKey[] = "AXODriverIP";
const char AXOClientSettings::RootEnvironmentVariable[] = "AXOCOMM_SETTINGS_ROOT";
const char AXOClientSettings::ProtocolSecretKey[] = "AXOProtocolSecret";
const char AXOClientSettings::ProtocolSecretFileKey[] = "AXOProtocolSecretFile";
const char AXOClientSettings::AccessLevelKey[] = "AXOAccessLevel";
const char AXOClientSettings::TlsCaFileKey[] = "AXOTlsCaFile";
const char AXOClientSettings::TlsPeerNameKey[] = "AXOTlsPeerName";

namespace {

// The file's values as last read. A start reads the settings a few dozen
// times (every driver thread, every login); the file is read again only when
// it is another one or has changed since (its identity, size, modification
// or status change time differ), so an edit is seen by the next read. A file
// changed within the last moment is read every time: file times may be as
// coarse as the kernel's tick, and a second edit within one tick of the
// same size would otherwise go unseen.
struct Snapshot
{
    bool valid = false;
    QString path;
    bool exists = false;
    struct stat status = {};
    QHash<QString, QVariant> values;
};

QMutex s_snapshotMutex;
Snapshot s_snapshot;

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool settled(const struct stat &status)
{
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    const auto ms = [](const timespec &t) { return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000; };
    const qint64 latest = std::max(ms(status.st_mtim), ms(status.st_ctim));
    return ms(now) - latest > 100;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size && sameTime(a.st_mtim, b.st_mtim)
        && sameTime(a.st_ctim, b.st_ctim);
}

QVariant settingValue(const char *key)
{
    const QString path = AXOClientSettings::filePath();
    struct stat status = {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &status) == 0;
    QMutexLocker locker(&s_snapshotMutex);
    if (!s_snapshot.valid || s_snapshot.path != path || s_snapshot.exists != exists
        || (exists && !sameFile(s_snapshot.status, status))) {
        const QSettings settings(path, QSettings::IniFormat);
        s_snapshot.values.clear();
        for (const QString &name : settings.allKeys())
            s_snapshot.values.insert(name, settings.value(name));
        s_snapshot.valid = !exists || settled(status);
        s_snapshot.path = path;
        s_snapshot.exists = exists;
        s_snapshot.status = status;
    }
    return s_snapshot.values.value(QLatin1String(key));
}

QString stringValue(const char *key)
{
    return settingValue(key).toString();
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
    return settingValue(UseOpenSslKey).toBool();
}

QString AXOClientSettings::driverIP()
{
    return stringValue(DriverIPKey);
}

int AXOClientSettings::accessLevel()
{
    bool ok = false;
    const int level = stringValue(AccessLevelKey).trimmed().toInt(&ok);
    return ok && level >= 1 && level <= 3 ? level : 1;
}

QByteArray AXOClientSettings::protocolSecret(QString *error)
{
    const QString text = stringValue(ProtocolSecretKey);
    const QString path = stringValue(ProtocolSecretFileKey);
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
