#include "SimStatsTable.h"

#include "FW_Dispenser.h"
#include "SimStatsQuery.h"

#include <algorithm>

SimStatsTable::SimStatsTable(const SimStatsData &data, const FW_Configuration &configuration) : m_data(data)
{
    for (const FW_Machine *machine : configuration.getMachines(MachineID::Dispenser)) {
        const int number = machine->machineNumber();
        if (!machine->serialNumber().isEmpty() && !m_serials.contains(machine->serialNumber()))
            m_serials.insert(machine->serialNumber(), number);
        m_serialOf.insert(number, machine->serialNumber());
        for (const FW_Circuit &circuit : static_cast<const FW_Dispenser *>(machine)->circuits())
            m_circuits.insert(qMakePair(number, circuit.position()));
    }
    std::stable_sort(m_data.usage.begin(), m_data.usage.end(),
                     [](const SimStatsData::Usage &a, const SimStatsData::Usage &b) {
                         return qMakePair(a.dispenser, a.position) < qMakePair(b.dispenser, b.position);
                     });
}

int SimStatsTable::dispenserBySerial(const QString &serial) const
{
    return m_serials.value(serial, 0);
}

bool SimStatsTable::hasCircuit(int dispenser, int position) const
{
    return m_circuits.contains(qMakePair(dispenser, position));
}

QList<ColorantUsageDispStats> SimStatsTable::usage(int dispenser, const QString &by, const QString &colorant,
                                                   int number, const QStringList &colorants, int limit) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QList<ColorantUsageDispStats> out;
    for (const SimStatsData::Usage &entry : m_data.usage) {
        if (entry.dispenser != dispenser)
            continue;
        if ((by == QLatin1String("colorant") && entry.colorant != colorant)
            || (by == QLatin1String("canister") && entry.canister != number)
            || (by == QLatin1String("position") && number != 0 && entry.position != number))
            continue;
        if (!colorants.isEmpty() && !colorants.contains(entry.colorant))
            continue;
        out.append(ColorantUsageDispStats(m_serialOf.value(dispenser), entry.position, entry.canister, entry.colorant,
                                          entry.amount, entry.dispensings));
        if (limit > 0 && out.size() == limit)
            break;
    }
    return out;
}

void SimStatsTable::addRefills(int dispenser, const QList<RefillStatData> &refills)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const RefillStatData &refill : refills) {
        SimStatsData::Event event;
        event.dispenser = dispenser;
        event.kind = QStringLiteral("refill");
        event.position = refill.position();
        event.colorant = refill.colorant();
        event.amount = refill.amount();
        event.time = refill.time();
        m_data.events.append(event);
    }
}

QString SimStatsTable::training(int dispenser) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_data.training.value(dispenser, QStringLiteral("not trained"));
}

bool SimStatsTable::query(const QString &text, QString *reply, QString *error) const
{
    const SimStatsQuery query(text);
    if (!query.isValid()) {
        *error = query.error();
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    QStringList columns;
    QList<QStringList> rows;
    if (query.table() == QLatin1String("events")) {
        columns = QStringList{QStringLiteral("dispenser"), QStringLiteral("kind"), QStringLiteral("position"),
                              QStringLiteral("colorant"), QStringLiteral("amount"), QStringLiteral("time")};
        for (const SimStatsData::Event &event : m_data.events) {
            rows.append(QStringList{QString::number(event.dispenser), event.kind, QString::number(event.position),
                                    event.colorant, QString::number(event.amount),
                                    event.time.toString(Qt::ISODate)});
        }
    } else if (query.table() == QLatin1String("usage")) {
        columns = QStringList{QStringLiteral("dispenser"), QStringLiteral("serial"),   QStringLiteral("position"),
                              QStringLiteral("canister"),  QStringLiteral("colorant"), QStringLiteral("amount"),
                              QStringLiteral("dispensings")};
        for (const SimStatsData::Usage &entry : m_data.usage) {
            rows.append(QStringList{QString::number(entry.dispenser), m_serialOf.value(entry.dispenser),
                                    QString::number(entry.position), QString::number(entry.canister), entry.colorant,
                                    QString::number(entry.amount), QString::number(entry.dispensings)});
        }
    } else {
        *error = QStringLiteral("no table %1").arg(query.table());
        return false;
    }
    return query.run(columns, rows, reply, error);
}
