#ifndef SIMSCENARIO_H
#define SIMSCENARIO_H

#include "FW_Configuration.h"
#include "FW_ErrorList.h"
#include "MachineID.h"

#include <QtCore/QByteArray>
#include <QtCore/QMap>
#include <QtCore/QPair>
#include <QtCore/QString>

//! The start state of the simulated driver: its version text, its machines
//! (dispensers with their circuits and canister levels, mixers, scales),
//! which machines are in service, the errors they start with, and how long
//! processes take. Read from and written to JSON (docs/simulator.md,
//! "Scenarios"); defaultScenario() is the same as sim/scenarios/default.json.
//!
//! A plain value: copy it, change it, hand it to SimDriverModel.
class SimScenario
{
public:
    SimScenario();

    //! One dispenser (number 1, 16 circuits) and one mixer (number 2).
    static SimScenario defaultScenario();
    //! Reads a scenario; on failure returns an empty scenario and fills *error.
    static SimScenario fromJson(const QByteArray &json, QString *error);
    static SimScenario fromFile(const QString &path, QString *error);
    //! The JSON text fromJson reads back to an equal scenario.
    QByteArray toJson() const;

    bool operator==(const SimScenario &other) const;
    bool operator!=(const SimScenario &other) const { return !(*this == other); }

    //! What GET_SW_VERSION reports.
    QString driverVersion() const { return m_version; }
    void setDriverVersion(const QString &version) { m_version = version; }

    //! Duration of RESET on any machine, ms.
    int resetMs() const { return m_resetMs; }
    void setResetMs(int ms) { m_resetMs = ms; }
    //! Dosing speed of one circuit, cc per second (circuits of a channel dose together).
    double dosingRate() const { return m_dosingRate; }
    void setDosingRate(double ccPerSecond) { m_dosingRate = ccPerSecond; }
    //! When above 0, every channel of a formula takes this long, whatever its amounts.
    int channelMs() const { return m_channelMs; }
    void setChannelMs(int ms) { m_channelMs = ms; }

    //! The machines, in the order the driver lists them.
    const FW_Configuration &configuration() const { return m_configuration; }
    FW_Configuration &configuration() { return m_configuration; }

    //! Canister level of a dispenser's circuit, cc; 0 when never set.
    double level(int dispenser, int position) const { return m_levels.value(qMakePair(dispenser, position), 0.0); }
    void setLevel(int dispenser, int position, double cc) { m_levels.insert(qMakePair(dispenser, position), cc); }

    //! In service (default) or not.
    bool isActive(const MachineID &id) const { return !m_inactive.contains(id); }
    void setActive(const MachineID &id, bool active);

    //! The errors a machine starts with.
    FW_ErrorList errors(const MachineID &id) const { return m_errors.value(id); }
    void setErrors(const MachineID &id, const FW_ErrorList &errors);

private:
    QString m_version;
    int m_resetMs;
    double m_dosingRate;
    int m_channelMs;
    FW_Configuration m_configuration;
    QMap<QPair<int, int>, double> m_levels;
    QMap<MachineID, bool> m_inactive;
    QMap<MachineID, FW_ErrorList> m_errors;
};

#endif // SIMSCENARIO_H
