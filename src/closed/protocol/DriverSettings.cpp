#include "DriverSettings.h"

#include "FW_XmlRpcReader.h"

#include <QtCore/QStringList>

using XmlRpc::XmlRpcValue;

namespace {

bool validLogLevel(int level)
{
    return level >= DriverSettings::Trace && level <= DriverSettings::Fatal;
}

bool parseBool(const QString &text, bool *value)
{
    const QString t = text.toLower();
    if (t == QLatin1String("true") || t == QLatin1String("1")) {
        *value = true;
        return true;
    }
    if (t == QLatin1String("false") || t == QLatin1String("0")) {
        *value = false;
        return true;
    }
    return false;
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

void DriverSettings::setLogLevel(int level)
{
    if (validLogLevel(level))
        m_logLevel = level;
}

bool DriverSettings::operator==(const DriverSettings &other) const
{
    return m_language == other.m_language && m_volumeUnit == other.m_volumeUnit
        && m_weightUnit == other.m_weightUnit && m_logLevel == other.m_logLevel
        && m_simulation == other.m_simulation && m_skipFwChecks == other.m_skipFwChecks;
}

QString DriverSettings::toText() const
{
    QStringList lines;
    lines << QStringLiteral("language=") + m_language << QStringLiteral("volumeUnit=") + m_volumeUnit
          << QStringLiteral("weightUnit=") + m_weightUnit
          << QStringLiteral("logLevel=") + QString::number(m_logLevel)
          << QStringLiteral("simulation=") + boolText(m_simulation)
          << QStringLiteral("skipFwChecks=") + boolText(m_skipFwChecks);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

DriverSettings DriverSettings::fromText(const QString &text, bool *ok)
{
    DriverSettings settings;
    bool good = true;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            good = false;
            break;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("language")) {
            settings.m_language = value;
        } else if (key == QLatin1String("volumeUnit")) {
            settings.m_volumeUnit = value;
        } else if (key == QLatin1String("weightUnit")) {
            settings.m_weightUnit = value;
        } else if (key == QLatin1String("logLevel")) {
            bool number = false;
            const int level = value.toInt(&number);
            good = number && validLogLevel(level);
            settings.m_logLevel = level;
        } else if (key == QLatin1String("simulation")) {
            good = parseBool(value, &settings.m_simulation);
        } else if (key == QLatin1String("skipFwChecks")) {
            good = parseBool(value, &settings.m_skipFwChecks);
        }
        if (!good)
            break;
    }
    if (ok)
        *ok = good;
    return good ? settings : DriverSettings();
}

XmlRpcValue DriverSettings::toXmlRpcValue() const
{
    XmlRpcValue value;
    value["language"] = m_language.toStdString();
    value["volumeUnit"] = m_volumeUnit.toStdString();
    value["weightUnit"] = m_weightUnit.toStdString();
    value["logLevel"] = m_logLevel;
    value["simulation"] = m_simulation;
    value["skipFwChecks"] = m_skipFwChecks;
    return value;
}

DriverSettings DriverSettings::fromXmlRpcValue(const XmlRpcValue &value, bool *ok)
{
    const DriverSettings defaults;
    FW_XmlRpcReader reader(value);
    DriverSettings settings;
    settings.m_language = reader.toString("language", defaults.m_language);
    settings.m_volumeUnit = reader.toString("volumeUnit", defaults.m_volumeUnit);
    settings.m_weightUnit = reader.toString("weightUnit", defaults.m_weightUnit);
    settings.m_logLevel = reader.toInt("logLevel", defaults.m_logLevel);
    reader.require(validLogLevel(settings.m_logLevel));
    settings.m_simulation = reader.toBool("simulation", defaults.m_simulation);
    settings.m_skipFwChecks = reader.toBool("skipFwChecks", defaults.m_skipFwChecks);
    if (ok)
        *ok = reader.ok();
    return reader.ok() ? settings : DriverSettings();
}
