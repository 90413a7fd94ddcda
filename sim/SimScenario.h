#ifndef SIMSCENARIO_H
#define SIMSCENARIO_H

#include "BasicCalibrationData.h"
#include "CalibrationData.h"
#include "DriverSettings.h"
#include "FW_CalibrationProfiles.h"
#include "FW_Configuration.h"
#include "FW_ErrorList.h"
#include "FW_Program.h"
#include "FW_Version.h"
#include "MachineID.h"
#include "ProtocolCommandInfo.h"
#include "SimEvent.h"
#include "SimStatsData.h"

#include <QtCore/QByteArray>
#include <QtCore/QJsonObject>
#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QPair>
#include <QtCore/QString>

//! The start state of the simulated driver: its version text, its machines
//! (dispensers with their circuits and canister levels, mixers, scales),
//! which machines are in service and reached by the driver, the errors they
//! start with, their firmware versions, how long processes take, the
//! driver's settings and calibration profiles, the commands each machine
//! supports, and the events scripted to happen while the driver runs. Read from and written to JSON (docs/simulator.md,
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

    //! Reached by the driver on its port (default) or not.
    bool isConnected(const MachineID &id) const { return !m_disconnected.contains(id); }
    void setConnected(const MachineID &id, bool connected);

    //! The firmware version of a machine's main board: 2.4.0 unless set,
    //! with the newest configuration layout and the protocol version its
    //! model needs.
    FW_Version firmware(const MachineID &id) const;
    //! Sets the application version (major.minor.build) only.
    void setFirmware(const MachineID &id, const FW_Version &version);

    //! The commands GET_CMD_LIST reports for a machine; empty for the ones
    //! the simulator implements.
    QList<ProtocolCommandInfo> commandList(const MachineID &id) const { return m_commands.value(id); }
    void setCommandList(const MachineID &id, const QList<ProtocolCommandInfo> &commands);

    //! What GET_DRIVER_SETTINGS reports: the defaults with simulation on, unless set.
    DriverSettings driverSettings() const { return m_settings; }
    void setDriverSettings(const DriverSettings &settings) { m_settings = settings; }
    //! What GET_CALIB_PROFILES reports: the built-in default profiles, unless set.
    FW_CalibrationProfiles calibrationProfiles() const { return m_profiles; }
    void setCalibrationProfiles(const FW_CalibrationProfiles &profiles) { m_profiles = profiles; }

    //! A dispenser's calibration points (GET_CALIB_LIST); empty for the
    //! simulator's defaults (SimConfigStore::defaultCalibrationList).
    QList<CalibrationData> calibrationList(int dispenser) const { return m_calibration.value(dispenser); }
    void setCalibrationList(int dispenser, const QList<CalibrationData> &points);
    //! A dispenser's recalibration points (GET_RECALIB_LIST); empty for the defaults.
    QList<BasicCalibrationData> recalibrationList(int dispenser) const { return m_recalibration.value(dispenser); }
    void setRecalibrationList(int dispenser, const QList<BasicCalibrationData> &points);
    //! The slave boards FW_SCAN reports for a machine; empty for ones derived
    //! from the main board.
    QList<FW_Program> slaveBoards(const MachineID &id) const { return m_slaveBoards.value(id); }
    void setSlaveBoards(const MachineID &id, const QList<FW_Program> &boards);

    //! The scripted events, in the order listed.
    QList<SimEvent> events() const { return m_events; }
    void setEvents(const QList<SimEvent> &events) { m_events = events; }

    //! The statistics the driver starts with; SimStatsData::defaults of the
    //! machines unless set (hasStats()).
    SimStatsData stats() const { return m_hasStats ? m_stats : SimStatsData::defaults(m_configuration); }
    bool hasStats() const { return m_hasStats; }
    void setStats(const SimStatsData &stats)
    {
        m_stats = stats;
        m_hasStats = true;
    }

private:
    bool readMachine(const QJsonObject &object, const QString &path, QString *problem);
    bool readExtras(const QJsonObject &top, QString *problem);
    bool checkReferences(QString *problem) const;
    QJsonObject machineToJson(const FW_Machine &machine) const;
    // The calibration and board members of a machine (SimScenarioCalibration.cpp).
    bool readMachineCalibration(const QJsonObject &object, const QString &path, const MachineID &id,
                                QString *problem);
    void writeMachineCalibration(const MachineID &id, QJsonObject &object) const;

    QString m_version;
    int m_resetMs;
    double m_dosingRate;
    int m_channelMs;
    FW_Configuration m_configuration;
    QMap<QPair<int, int>, double> m_levels;
    QMap<MachineID, bool> m_inactive;
    QMap<MachineID, FW_ErrorList> m_errors;
    QMap<MachineID, bool> m_disconnected;
    QMap<MachineID, FW_Version> m_firmware;
    QMap<MachineID, QList<ProtocolCommandInfo>> m_commands;
    DriverSettings m_settings;
    FW_CalibrationProfiles m_profiles;
    QList<SimEvent> m_events;
    SimStatsData m_stats;
    bool m_hasStats = false;
    QMap<int, QList<CalibrationData>> m_calibration;
    QMap<int, QList<BasicCalibrationData>> m_recalibration;
    QMap<MachineID, QList<FW_Program>> m_slaveBoards;
};

#endif // SIMSCENARIO_H
