#include "SimStatsData.h"

#include "FW_Dispenser.h"
#include "SimJsonReader.h"

#include <QtCore/QJsonArray>

bool SimStatsData::Event::operator==(const Event &other) const
{
    return dispenser == other.dispenser && kind == other.kind && position == other.position
        && colorant == other.colorant && amount == other.amount && time == other.time;
}

bool SimStatsData::Usage::operator==(const Usage &other) const
{
    return dispenser == other.dispenser && position == other.position && canister == other.canister
        && colorant == other.colorant && amount == other.amount && dispensings == other.dispensings;
}

bool SimStatsData::operator==(const SimStatsData &other) const
{
    return events == other.events && usage == other.usage && training == other.training;
}

SimStatsData SimStatsData::defaults(const FW_Configuration &configuration)
{
    SimStatsData data;
    for (const FW_Machine *machine : configuration.getMachines(MachineID::Dispenser)) {
        for (const FW_Circuit &circuit : static_cast<const FW_Dispenser *>(machine)->circuits()) {
            Usage usage;
            usage.dispenser = machine->machineNumber();
            usage.position = circuit.position();
            usage.canister = circuit.position();
            usage.colorant = circuit.colorantCode();
            usage.amount = 10.0 * circuit.position();
            usage.dispensings = circuit.position();
            data.usage.append(usage);
        }
    }
    return data;
}

SimStatsData SimStatsData::fromJson(const QJsonObject &object, QString *problem)
{
    SimStatsData data;
    SimJsonReader top(object, QStringLiteral("stats"), problem);
    top.allow({"events", "usage", "gravTraining"});
    const QJsonArray events = top.array("events");
    for (int i = 0; i < events.size() && problem->isEmpty(); ++i) {
        QJsonObject item;
        const QString path = QStringLiteral("stats.events");
        if (!SimJsonReader::element(events, i, path, &item, problem))
            break;
        SimJsonReader reader(item, QStringLiteral("%1[%2]").arg(path).arg(i), problem);
        reader.allow({"dispenser", "kind", "position", "colorant", "amount", "time"});
        Event event;
        event.dispenser = reader.integer("dispenser", 0, 1, true);
        event.kind = reader.string("kind", QStringLiteral("dispense"));
        event.position = reader.integer("position", 0, 1, true);
        event.colorant = reader.string("colorant", QString(), true);
        event.amount = reader.number("amount", 0.0, 0.0, true);
        const QString time = reader.string("time", QString(), true);
        event.time = QDateTime::fromString(time, Qt::ISODate).toUTC();
        if (reader.ok() && event.kind != QLatin1String("dispense") && event.kind != QLatin1String("refill"))
            reader.fail("kind", QStringLiteral("must be \"dispense\" or \"refill\""));
        if (reader.ok() && !event.time.isValid())
            reader.fail("time", QStringLiteral("must be an ISO 8601 date and time"));
        data.events.append(event);
    }
    const QJsonArray usage = top.array("usage");
    for (int i = 0; i < usage.size() && problem->isEmpty(); ++i) {
        QJsonObject item;
        const QString path = QStringLiteral("stats.usage");
        if (!SimJsonReader::element(usage, i, path, &item, problem))
            break;
        SimJsonReader reader(item, QStringLiteral("%1[%2]").arg(path).arg(i), problem);
        reader.allow({"dispenser", "position", "canister", "colorant", "amount", "dispensings"});
        Usage entry;
        entry.dispenser = reader.integer("dispenser", 0, 1, true);
        entry.position = reader.integer("position", 0, 1, true);
        entry.canister = reader.integer("canister", entry.position, 1);
        entry.colorant = reader.string("colorant", QString(), true);
        entry.amount = reader.number("amount", 0.0, 0.0, false);
        entry.dispensings = reader.integer("dispensings", 0, 0);
        data.usage.append(entry);
    }
    const QJsonArray training = top.array("gravTraining");
    for (int i = 0; i < training.size() && problem->isEmpty(); ++i) {
        QJsonObject item;
        if (!SimJsonReader::element(training, i, QStringLiteral("stats.gravTraining"), &item, problem))
            break;
        SimJsonReader reader(item, QStringLiteral("stats.gravTraining[%1]").arg(i), problem);
        reader.allow({"dispenser", "status"});
        const int dispenser = reader.integer("dispenser", 0, 1, true);
        data.training.insert(dispenser, reader.string("status", QString(), true));
    }
    return data;
}

QJsonObject SimStatsData::toJson() const
{
    QJsonArray eventArray;
    for (const Event &event : events) {
        eventArray.append(QJsonObject{{QStringLiteral("dispenser"), event.dispenser},
                                      {QStringLiteral("kind"), event.kind},
                                      {QStringLiteral("position"), event.position},
                                      {QStringLiteral("colorant"), event.colorant},
                                      {QStringLiteral("amount"), event.amount},
                                      {QStringLiteral("time"), event.time.toString(Qt::ISODate)}});
    }
    QJsonArray usageArray;
    for (const Usage &entry : usage) {
        usageArray.append(QJsonObject{{QStringLiteral("dispenser"), entry.dispenser},
                                      {QStringLiteral("position"), entry.position},
                                      {QStringLiteral("canister"), entry.canister},
                                      {QStringLiteral("colorant"), entry.colorant},
                                      {QStringLiteral("amount"), entry.amount},
                                      {QStringLiteral("dispensings"), entry.dispensings}});
    }
    QJsonArray trainingArray;
    for (auto it = training.constBegin(); it != training.constEnd(); ++it)
        trainingArray.append(QJsonObject{{QStringLiteral("dispenser"), it.key()}, {QStringLiteral("status"), it.value()}});
    return QJsonObject{{QStringLiteral("events"), eventArray},
                       {QStringLiteral("usage"), usageArray},
                       {QStringLiteral("gravTraining"), trainingArray}};
}
