#include "SimJsonReader.h"

#include <QtCore/QSet>

#include <cmath>

SimJsonReader::SimJsonReader(const QJsonObject &object, const QString &path, QString *error)
    : m_object(object), m_path(path), m_error(error)
{
}

void SimJsonReader::allow(std::initializer_list<const char *> names)
{
    QSet<QString> known;
    for (const char *name : names)
        known.insert(QString::fromLatin1(name));
    for (auto it = m_object.constBegin(); it != m_object.constEnd(); ++it) {
        if (!known.contains(it.key()))
            return fail(it.key(), QStringLiteral("is not a known member"));
    }
}

QString SimJsonReader::string(const char *name, const QString &fallback, bool required)
{
    const QJsonValue value = m_object.value(QLatin1String(name));
    if (value.isUndefined()) {
        if (required)
            fail(name, QStringLiteral("is missing"));
        return fallback;
    }
    if (!value.isString()) {
        fail(name, QStringLiteral("must be a string"));
        return fallback;
    }
    return value.toString();
}

int SimJsonReader::integer(const char *name, int fallback, int minimum, bool required)
{
    const QJsonValue value = m_object.value(QLatin1String(name));
    if (value.isUndefined()) {
        if (required)
            fail(name, QStringLiteral("is missing"));
        return fallback;
    }
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || number != std::floor(number) || number < minimum || number > 2147483647.0) {
        fail(name, QStringLiteral("must be a whole number of at least %1").arg(minimum));
        return fallback;
    }
    return static_cast<int>(number);
}

double SimJsonReader::number(const char *name, double fallback, double minimum, bool strictlyAbove)
{
    const QJsonValue value = m_object.value(QLatin1String(name));
    if (value.isUndefined())
        return fallback;
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || !std::isfinite(number) || number < minimum || (strictlyAbove && number == minimum)) {
        fail(name, strictlyAbove ? QStringLiteral("must be a number above %1").arg(minimum)
                                 : QStringLiteral("must be a number of at least %1").arg(minimum));
        return fallback;
    }
    return number;
}

bool SimJsonReader::boolean(const char *name, bool fallback)
{
    const QJsonValue value = m_object.value(QLatin1String(name));
    if (value.isUndefined())
        return fallback;
    if (!value.isBool()) {
        fail(name, QStringLiteral("must be true or false"));
        return fallback;
    }
    return value.toBool();
}

QJsonArray SimJsonReader::array(const char *name, bool required)
{
    const QJsonValue value = m_object.value(QLatin1String(name));
    if (value.isUndefined()) {
        if (required)
            fail(name, QStringLiteral("is missing"));
        return QJsonArray();
    }
    if (!value.isArray()) {
        fail(name, QStringLiteral("must be an array"));
        return QJsonArray();
    }
    return value.toArray();
}

QJsonObject SimJsonReader::object(const char *name)
{
    const QJsonValue value = m_object.value(QLatin1String(name));
    if (value.isUndefined())
        return QJsonObject();
    if (!value.isObject()) {
        fail(name, QStringLiteral("must be an object"));
        return QJsonObject();
    }
    return value.toObject();
}

FW_Error SimJsonReader::errorRecord()
{
    const QString code = string("code", QString(), true);
    const QString message = string("msg", QString(), true);
    const int type = integer("type", FW_Error::HwError, FW_Error::GenericError);
    if (ok() && type > FW_Error::ConfError)
        fail("type", QStringLiteral("must be 0 to 4"));
    if (ok() && code.isEmpty())
        fail("code", QStringLiteral("must not be empty"));
    return ok() ? FW_Error(static_cast<FW_Error::ErrorType>(type), message, code) : FW_Error();
}

void SimJsonReader::fail(const QString &member, const QString &what)
{
    if (m_error->isEmpty())
        *m_error = (m_path.isEmpty() ? member : m_path + QLatin1Char('.') + member) + QLatin1Char(' ') + what;
}

bool SimJsonReader::element(const QJsonArray &array, int index, const QString &path, QJsonObject *object,
                            QString *error)
{
    if (!array.at(index).isObject()) {
        if (error->isEmpty())
            *error = QStringLiteral("%1[%2] must be an object").arg(path).arg(index);
        return false;
    }
    *object = array.at(index).toObject();
    return true;
}
