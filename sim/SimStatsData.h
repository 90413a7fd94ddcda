#ifndef SIMSTATSDATA_H
#define SIMSTATSDATA_H

#include "FW_Configuration.h"

#include <QtCore/QDateTime>
#include <QtCore/QJsonObject>
#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QString>

//! The statistics a simulated driver starts with: dispensing and refill
//! events, colorant usage per circuit, and the gravimetric training state
//! of each dispenser. A plain value, read from and written to the
//! scenario's "stats" member (docs/simulator.md).
class SimStatsData
{
public:
    struct Event
    {
        int dispenser = 0;
        QString kind;     //!< "dispense" or "refill"
        int position = 0;
        QString colorant;
        double amount = 0.0; //!< cc
        QDateTime time;      //!< UTC, whole seconds
        bool operator==(const Event &other) const;
    };
    struct Usage
    {
        int dispenser = 0;
        int position = 0;
        int canister = 0;
        QString colorant;
        double amount = 0.0; //!< cc
        int dispensings = 0;
        bool operator==(const Usage &other) const;
    };

    QList<Event> events;
    QList<Usage> usage;
    //! Training state per dispenser number; "not trained" when not listed.
    QMap<int, QString> training;

    bool operator==(const SimStatsData &other) const;
    bool operator!=(const SimStatsData &other) const { return !(*this == other); }

    //! What a driver has when the scenario says nothing: for every circuit
    //! of every dispenser a usage entry (canister = position, position × 10
    //! cc in position dispensings), no events, no training.
    static SimStatsData defaults(const FW_Configuration &configuration);
    //! Reads the "stats" object; on a problem fills *problem (path "stats...").
    static SimStatsData fromJson(const QJsonObject &object, QString *problem);
    QJsonObject toJson() const;
};

#endif // SIMSTATSDATA_H
