#ifndef SIMSTATSTABLE_H
#define SIMSTATSTABLE_H

#include "ColorantUsageDispStats.h"
#include "FW_Configuration.h"
#include "RefillStatData.h"
#include "SimStatsData.h"

#include <QtCore/QMap>
#include <QtCore/QSet>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include <mutex>

//! The statistics of a running simulated driver: what the scenario started
//! with (SimStatsData) plus the refills clients add. Its two tables answer
//! the statistics queries:
//! - events: dispenser, kind, position, colorant, amount, time
//! - usage: dispenser, serial, position, canister, colorant, amount, dispensings
//! Thread-safe.
class SimStatsTable
{
public:
    SimStatsTable(const SimStatsData &data, const FW_Configuration &configuration);

    //! The dispenser of that serial number; 0 when none has it.
    int dispenserBySerial(const QString &serial) const;
    //! Whether the dispenser has a circuit at that position.
    bool hasCircuit(int dispenser, int position) const;

    //! The usage of a dispenser's circuits, in position order, chosen by
    //! colorant code ("colorant"), canister number ("canister") or position
    //! ("position", 0 all), narrowed to the colorant codes listed (none: all)
    //! and to at most limit entries (0: no limit).
    QList<ColorantUsageDispStats> usage(int dispenser, const QString &by, const QString &colorant, int number,
                                        const QStringList &colorants, int limit) const;
    //! Records refills of a dispenser's canisters as "refill" events.
    void addRefills(int dispenser, const QList<RefillStatData> &refills);
    //! The gravimetric training state of a dispenser.
    QString training(int dispenser) const;

    //! Runs a query (SimStatsQuery): the reply text, or false and *error.
    bool query(const QString &text, QString *reply, QString *error) const;

private:
    mutable std::mutex m_mutex;
    SimStatsData m_data; // guarded by m_mutex
    QMap<QString, int> m_serials;
    QMap<int, QString> m_serialOf;
    QSet<QPair<int, int>> m_circuits;
};

#endif // SIMSTATSTABLE_H
