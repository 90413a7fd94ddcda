#include "CliSupport.h"

#include "AXODriverConnection.h"
#include "ChannelIngredient.h"
#include "FW_ErrorList.h"
#include "Formula.h"
#include "MachineID.h"

#include <QtCore/QDateTime>
#include <QtCore/QElapsedTimer>
#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QStringList>

#include <cstdio>

namespace {

QElapsedTimer &startClock()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer;
}

} // namespace

namespace cli {

bool parseEndpoint(const QString &text, QString *host, int *port)
{
    return AXODriverConnection::decodeConnString(text, host, port) && *port > 0 && *port <= 65535;
}

// "POS:AMOUNT,POS:AMOUNT" into a formula of one ingredient per circuit.
bool parseFormula(const QString &text, Formula &formula)
{
    QList<ChannelIngredient> ingredients;
    for (const QString &item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(QLatin1Char(':'));
        bool positionOk = false;
        bool amountOk = false;
        const int position = parts.value(0).toInt(&positionOk);
        const double amount = parts.value(1).toDouble(&amountOk);
        if (parts.size() != 2 || !positionOk || !amountOk || position < 1 || amount <= 0.0)
            return false;
        ingredients.append(ChannelIngredient(position, QString(), amount)); // the circuit's own colorant
    }
    formula = Formula(ingredients, Formula::CheckLevels, 4);
    return !ingredients.isEmpty();
}

bool parseMachine(const QString &text, MachineID *machine)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    bool ok = false;
    const int number = parts.value(0).toInt(&ok);
    if (!ok || number <= 0 || parts.size() > 2)
        return false;
    const QString type = parts.value(1, QStringLiteral("dispenser")).toLower();
    int bits = 0;
    if (type == QLatin1String("dispenser"))
        bits = MachineID::Dispenser;
    else if (type == QLatin1String("mixer"))
        bits = MachineID::Mixer;
    else if (type == QLatin1String("scale"))
        bits = MachineID::Scale;
    else
        return false;
    *machine = MachineID(number, bits);
    return true;
}

QVariant variantFromJson(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (number >= -2147483648.0 && number <= 2147483647.0 && number == static_cast<double>(static_cast<int>(number)))
            return static_cast<int>(number);
        return number;
    }
    if (value.isArray()) {
        QVariantList list;
        for (const QJsonValue &item : value.toArray())
            list.append(variantFromJson(item));
        return list;
    }
    if (value.isObject()) {
        QVariantMap map;
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            map.insert(it.key(), variantFromJson(it.value()));
        return map;
    }
    return value.toVariant();
}

QString machineText(const MachineID &id)
{
    if (id.machineNumber == 0)
        return QStringLiteral("driver");
    const QString type = id.typeText().toLower();
    return QStringLiteral("%1 %2").arg(type.isEmpty() ? QStringLiteral("machine") : type).arg(id.machineNumber);
}

double elapsedMs()
{
    return static_cast<double>(startClock().nsecsElapsed()) / 1e6;
}

void printLine(const QString &text)
{
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void printStamped(const QString &text)
{
    std::printf("[%8.1f ms] %s\n", elapsedMs(), text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void printError(const QString &text)
{
    std::fprintf(stderr, "axocomm: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

void printJson(const QJsonObject &object)
{
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

void printErrors(const FW_ErrorList &errors, const QString &indent)
{
    for (const FW_Error &error : errors)
        printLine(QStringLiteral("%1error %2").arg(indent, error.errorText()));
}

QString clockTime()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString isoTime()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

} // namespace cli
