#ifndef SIMDRIVERMODEL_H
#define SIMDRIVERMODEL_H

#include "FW_Configuration.h"
#include "FW_ErrorList.h"
#include "Formula.h"
#include "MachineID.h"
#include "SimConfigStore.h"
#include "SimDataState.h"
#include "SimEvent.h"
#include "SimEventScript.h"
#include "SimMachineState.h"
#include "SimScenario.h"
#include "SimSessionTable.h"
#include "SimStatsTable.h"
#include "XmlRpcValue.h"

#include <QtCore/QHash>
#include <QtCore/QMap>
#include <QtCore/QPair>
#include <QtCore/QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <cstdint>
#include <mutex>

//! The state of the simulated driver and of its machines: what the machines
//! are doing, the sessions clients hold, and the tickets of long processes.
//!
//! Everything is guarded by one mutex; a condition variable is notified on
//! every change, and changeCount() counts the changes, so that a caller can
//! wait for the next one (waitForChange) without missing any. A process
//! (RESET, TINT) runs on the clock: it records its start and duration, its
//! progress is computed from the elapsed time when asked, and it ends (levels
//! lowered, ticket final, machine idle) at the first look after its end
//! time. Waiting calls wake at that moment too, so they see the end as it
//! happens. The scenario's scripted events run on the same clock: they are
//! applied at the first look after they are due (settle), and waiting calls
//! wake when the next one is due; startEvents() starts their clock.
//!
//! Command methods return complete results ({"rc", "errors", "data"}) built
//! with the library's answer classes; the caller has checked the session and
//! that the machine is of a kind the command concerns. All methods are
//! thread-safe.
class SimDriverModel
{
public:
    //! The driver's own error codes (TE10001..TE10013).
    enum DriverErrorCode {
        UnknownCommand = 10001,
        InvalidSession = 10002,
        MachineBusy = 10003,
        InvalidParams = 10004,
        UnknownMachine = 10005,
        UnknownTicket = 10006,
        NotSupported = 10007,
        Interrupted = 10008,
        NotEnoughColorant = 10009,
        AccessNotGranted = 10010,
        AccessTooLow = 10011,
        CallMethodNotSupported = 10012,
        FileNotFound = 10013
    };

    //! Machine state codes of the statuses.
    enum MachineState {
        StateOff = 0,        //!< "Not in service"
        StateReady = 1,      //!< "Ready"
        StateResetting = 2,  //!< "Reset"
        StateDispensing = 3, //!< "Dispensing"
        StateError = 4       //!< "Error": idle with errors
    };

    static constexpr int kProtocolVersion = 2;
    //! The circuit process of GET_ACTIVE_CIRCUITS that dosing a formula is.
    static constexpr int kDispensingProcess = 1;
    //! Finished tickets are kept at least this long.
    static constexpr int kTicketKeepMs = 120000;

    explicit SimDriverModel(const SimScenario &scenario = SimScenario::defaultScenario());

    //! The protocol secret the handshake proves (32 bytes); the built-in
    //! default until set. Anything but 32 bytes returns to the default.
    void setSecret(const QByteArray &secret);
    ~SimDriverModel();

    SimDriverModel(const SimDriverModel &) = delete;
    SimDriverModel &operator=(const SimDriverModel &) = delete;

    //! The record of a driver error code, with %1 filled in.
    static FW_Error driverError(int code, const QString &argument = QString());
    //! A failed result: the return code and one driver error record.
    static XmlRpc::XmlRpcValue failure(int rc, int code, const QString &argument = QString());

    // --- Driver ---------------------------------------------------------------
    QString driverVersion() const;
    bool hasMachine(const MachineID &id) const;
    //! GET_DISP_LIST (type 1) / GET_MIXER_LIST (type 4).
    XmlRpc::XmlRpcValue machineList(int type) const;
    //! GET_ACTIVE_DISP.
    XmlRpc::XmlRpcValue activeMachines();
    //! GET_CONN_STATUS: a machine that is disconnected or out of service is
    //! listed as disconnected.
    XmlRpc::XmlRpcValue connectionStatus();
    //! The configuration data (GET_CONFIG, GET_CALIB_PROFILES,
    //! GET_DRIVER_SETTINGS, GET_CMD_LIST, calibration points); thread-safe
    //! on its own.
    const SimConfigStore &configStore() const { return m_store; }
    SimConfigStore &configStore() { return m_store; }
    //! GET_CONFIG: the working configuration as it is now, or the factory one.
    XmlRpc::XmlRpcValue configuration(const XmlRpc::XmlRpcValue &params);
    //! SAVE_MACHINE_CONFIG [machine, overwrite, factory]: a machine the
    //! driver has gets the saved configuration, as a new revision.
    XmlRpc::XmlRpcValue saveMachine(const XmlRpc::XmlRpcValue &params);
    //! DELETE_MACHINE [[MachineID, ...]]: the machines leave the driver.
    XmlRpc::XmlRpcValue deleteMachines(const XmlRpc::XmlRpcValue &params);

    // Configuration edits, settings, timed processes, firmware scan
    // (SimDriverModelConfig.cpp).
    //! SAVE_CONFIG [configuration, overwrite, notify]: every machine of it
    //! replaces the driver's (a new revision); without overwrite nothing
    //! changes. A machine the driver does not have is refused.
    XmlRpc::XmlRpcValue saveConfiguration(const XmlRpc::XmlRpcValue &params);
    //! UPDATE_DB_CONFIGURATION [machine]: replaces the driver's copy as it is.
    XmlRpc::XmlRpcValue updateDbConfiguration(const XmlRpc::XmlRpcValue &params);
    //! CLONE_MACHINE [MachineID]: a machine of the same type, numbered after
    //! the highest number, with the source's configuration, state and
    //! levels, out of service.
    XmlRpc::XmlRpcValue cloneMachine(const XmlRpc::XmlRpcValue &params);
    //! SET_ACTIVE_MACHINE [MachineID, replaced MachineID, active].
    XmlRpc::XmlRpcValue setActiveMachine(const XmlRpc::XmlRpcValue &params);
    //! GET_GRAV_SETTINGS [[positions]] / SET_GRAV_SETTINGS [[settings]] of a dispenser.
    XmlRpc::XmlRpcValue gravSettings(const MachineID &machine, const XmlRpc::XmlRpcValue &params);
    XmlRpc::XmlRpcValue setGravSettings(const MachineID &machine, const XmlRpc::XmlRpcValue &params);
    //! TOGGLE_TEMPORIZED [disable, mask, minutes]: refused while busy. A
    //! dispenser with timed processes off shows the warning flag in its status.
    XmlRpc::XmlRpcValue toggleTimedProcesses(const MachineID &machine, const XmlRpc::XmlRpcValue &params);
    //! The timed processes (ToggleTemporizedCmd bits) that are off.
    int timedProcessesOff(int dispenser) const;
    //! FW_SCAN: the slave boards of the scenario, else the main board's
    //! further addresses (or 2 and 3) with its firmware, "<model> slave <k>".
    XmlRpc::XmlRpcValue firmwareScan(const MachineID &machine);


    // --- Sessions -------------------------------------------------------------
    //! LOGIN: a new session with a fresh driver nonce; lifetime in minutes.
    //! Machine number 0 logs in to the driver's generic machine of the type
    //! (MachineID), which clients do first; such a session addresses no machine.
    XmlRpc::XmlRpcValue login(const MachineID &machine, const QString &clientID, int lifetimeMinutes,
                              int accessLevel = 1);
    //! GET_KEY: takes the client nonce, answers the driver key.
    XmlRpc::XmlRpcValue getKey(const QString &sessionID, const QString &clientNonce);
    //! CERTIFY_SESSION: a key that does not hold closes the session.
    XmlRpc::XmlRpcValue certify(const QString &sessionID, const QString &loginKey);
    XmlRpc::XmlRpcValue logout(const QString &sessionID);
    //! The grant of a certified, unexpired session of a real machine (number
    //! above 0); marks the session used.
    bool sessionGrant(const QString &sessionID, SimSessionTable::Grant *grant, bool generic = false);
    int sessionCount();
    //! The session table itself (access levels granted, limits).
    SimSessionTable &sessions() { return m_sessions; }
    //! The statistics tables (thread-safe on their own).
    SimStatsTable &stats() { return m_stats; }

    // --- Machine commands -----------------------------------------------------
    XmlRpc::XmlRpcValue dispenserStatus(const MachineID &machine);
    XmlRpc::XmlRpcValue mixerStatus(const MachineID &machine);
    XmlRpc::XmlRpcValue machineErrors(const MachineID &machine);
    XmlRpc::XmlRpcValue clearErrors(const MachineID &machine);
    //! GET_SENSORS_STATUS of a dispenser: {humidity, temperature, canPresent,
    //! reserve: [positions at or below their reserve level]}.
    XmlRpc::XmlRpcValue sensorsStatus(const MachineID &machine);
    //! READ_FW_VERSION: the program of the machine's main board, answered for
    //! the board address asked for ([board], default the first board).
    XmlRpc::XmlRpcValue firmwareVersion(const MachineID &machine, const XmlRpc::XmlRpcValue &params);
    //! Starts RESET: a ticket answer, or a refusal. The ticket belongs to
    //! the session the command came in.
    XmlRpc::XmlRpcValue startReset(const MachineID &machine, const QString &session = QString());
    //! Starts TINT of the formula value (the command's first parameter).
    XmlRpc::XmlRpcValue startTint(const MachineID &machine, const XmlRpc::XmlRpcValue &formula,
                                  const QString &session = QString());
    //! STOP: interrupts the running process, if any.
    XmlRpc::XmlRpcValue stop(const MachineID &machine);
    //! GET_CMD_STATUS: a ticket of another session is unknown.
    XmlRpc::XmlRpcValue commandStatus(int ticket, const QString &session);
    //! GET_ACTIVE_CIRCUITS of a dispenser: the positions of the running
    //! formula for process 1 (dispensing), none otherwise.
    XmlRpc::XmlRpcValue activeCircuits(const MachineID &machine, int process);
    //! Waits until the ticket is final and gives its result; an interrupted
    //! result at shutdown.
    XmlRpc::XmlRpcValue waitForResult(int ticket);

    // --- Circuits, sensors and scales (SimDriverModelSensors.cpp) -------------
    //! GET_CIRCUITS_STATUS [[positions]] of a dispenser (all circuits for an empty list).
    XmlRpc::XmlRpcValue circuitsStatus(const MachineID &machine, const XmlRpc::XmlRpcValue &params);
    //! GET_SENSOR_DATA [sensor, measure] of a dispenser fitted with that sensor.
    XmlRpc::XmlRpcValue sensorData(const MachineID &machine, const XmlRpc::XmlRpcValue &params);
    //! GET_CURRENT_WEIGHT of a dispenser's scale (or of a scale itself).
    XmlRpc::XmlRpcValue currentWeight(const MachineID &machine);
    //! GET_SCALE_STATUS of a dispenser (or of a scale itself).
    XmlRpc::XmlRpcValue scaleStatus(const MachineID &machine);
    //! Puts a load (g) on a scale, replacing what lay on it; false for a
    //! scale the driver does not have.
    bool setScaleLoad(int scale, double grams);
    //! The dispenser is wired to another scale (0: none), as a technician
    //! would: the driver weighs on it and reports it with the dispenser's
    //! status; the stored configuration is not touched. False for an unknown
    //! dispenser or scale.
    bool wireScale(int dispenser, int scale);

    // --- Looking in and changing the state (tests, tools) ---------------------
    bool isBusy(const MachineID &machine);
    double level(int dispenser, int position);
    void setMachineErrors(const MachineID &machine, const FW_ErrorList &errors);
    void setActive(const MachineID &machine, bool active);
    //! Applies a change of the machines (SimEvent) at once, waking waiting
    //! calls when it changed anything; false and *error when the event names
    //! no machine of the driver or does not fit it.
    bool apply(const SimEvent &event, QString *error = nullptr);
    // Shorthands of apply() for tests; a machine type of 0 means "the one with that number".
    bool raiseError(const MachineID &machine, const FW_Error &error) { return apply(SimEvent::raiseError(machine, error)); }
    //! Clears the errors of that code, or all when it is empty.
    bool clearError(const MachineID &machine, const QString &code) { return apply(SimEvent::clearErrors(machine, code)); }
    bool setConnected(const MachineID &machine, bool connected) { return apply(SimEvent::setConnected(machine, connected)); }
    bool setDoorOpen(const MachineID &mixer, bool open) { return apply(SimEvent::setDoor(mixer, open)); }
    bool setLevel(int dispenser, int position, double cc)
    {
        return apply(SimEvent::setLevel(MachineID(dispenser, MachineID::Dispenser), position, cc));
    }
    bool setFirmware(const MachineID &machine, const FW_Version &version) { return apply(SimEvent::setFirmware(machine, version)); }
    bool setSensor(int dispenser, const QString &sensor, double value)
    {
        return apply(SimEvent::setSensor(MachineID(dispenser, MachineID::Dispenser), sensor, value));
    }
    //! Starts the clock of the scenario's scripted events (the first call
    //! only; SimDriver::start does it). Due events are applied while the
    //! model is not shut down.
    void startEvents();
    //! Scripted events not applied yet.
    int pendingEvents() const;
    //! Duration of later RESETs, ms.
    void setResetMs(int ms);
    //! Forgets every ticket, as a restarted driver would.
    void forgetTickets();

    // --- Lists, levels, files, formulas (SimDriverModelData.cpp) ---------------
    //! The dispenser's configuration and its canister levels (by position)
    //! as they are now; false when the driver has no such dispenser.
    bool dispenserSnapshot(int number, FW_Dispenser *dispenser, QMap<int, double> *levels);
    //! SET_LEVELS [[{"position": int, "level": double}]]: refused while the
    //! dispenser runs a process; a position without a circuit or a level
    //! below 0 or above the capacity is invalid (nothing changes then).
    XmlRpc::XmlRpcValue setLevels(const MachineID &machine, const XmlRpc::XmlRpcValue &params);
    //! GET_FORMULA_EXECUTION [formula]: the channels as TINT would dose
    //! them, every ingredient waiting with its time estimate.
    XmlRpc::XmlRpcValue formulaExecution(const MachineID &machine, const XmlRpc::XmlRpcValue &formula);
    //! Files, the ultrasonic cleaners' water and interrupted formulas.
    SimDataState &data() { return m_data; }
    //! A restart of the driver process: every running process ends as
    //! interrupted (what was dosed stays dosed, the rest of a formula is
    //! kept for recovery) and every ticket is forgotten. Levels, files,
    //! interrupted formulas and sessions survive.
    void restart();

    // --- Waiting --------------------------------------------------------------
    //! Grows by at least one with every change of the state.
    uint64_t changeCount() const;
    //! Waits until changeCount() differs from seen, the time is up or the
    //! model is shut down; true when it changed. With giveUp, also ends
    //! when giveUp() says so, asked at least every giveUpCheckMs (under the
    //! model's lock: it must be quick and must not call the model).
    bool waitForChange(uint64_t seen, int timeoutMs, const std::function<bool()> &giveUp = std::function<bool()>(),
                       int giveUpCheckMs = 0);
    //! Calls blocked in waitForChange or waitForResult now.
    int waitingCalls() const;
    //! Waits until exactly count calls are waiting; false on timeout.
    bool waitForWaitingCalls(int count, int timeoutMs) const;
    //! Wakes every waiting call and makes later waits return at once.
    void shutdown();
    //! Lets waits wait again after shutdown().
    void reopen();
    bool isShutDown() const;

private:
    typedef std::chrono::steady_clock Clock;

    struct Process
    {
        bool running = false;
        int ticket = 0;
        QString command;
        Clock::time_point start;
        int64_t durationMs = 0;
        Formula formula; // TINT: channels with the dosing time of each ingredient
    };
    struct Runtime
    {
        SimMachineState state;
        Process process;
        bool dosed = false; //!< its last TINT ended dosed (not stopped); cleared when the next starts
    };
    struct Ticket
    {
        QString command;
        MachineID machine;
        Clock::time_point start;
        int64_t durationMs = 0;
        bool final = false;
        int status = 1;
        int percentage = 0;
        Clock::time_point end;
        XmlRpc::XmlRpcValue result;
        QString session; //!< the session it was started in; empty for driver-level commands
    };
    static int64_t elapsedMs(Clock::time_point from, Clock::time_point to);
    //! 0..99 while a process of that duration runs.
    static int runningPercentage(int64_t elapsed, int64_t duration);
    static XmlRpc::XmlRpcValue okResult(const XmlRpc::XmlRpcValue &data);

    void changed();
    //! Ends every process whose time is up.
    void settle(Clock::time_point now);
    //! The earliest end of a running process or due scripted event; max() when none.
    Clock::time_point nextWake() const;
    //! Applies an event; false and *error when it fits no machine.
    bool applyLocked(const SimEvent &event, QString *error);
    void finishProcess(const MachineID &id, Runtime &runtime, Clock::time_point now, bool interrupted);
    void purge(Clock::time_point now);
    Runtime *runtime(const MachineID &id);
    int state(const Runtime &runtime) const;
    static QString stateText(int state);
    XmlRpc::XmlRpcValue startProcess(const MachineID &machine, Runtime &runtime, const QString &command,
                                     int64_t durationMs, const Formula &formula, Clock::time_point now,
                                     const QString &session);
    //! Times the formula for the dispenser as TINT doses it: an invalid
    //! value when it may be dosed (timed filled in, needed the cc per
    //! position), else the refusal.
    XmlRpc::XmlRpcValue planFormula(const FW_Dispenser &dispenser, const Formula &formula, const QString &command,
                                    Formula *timed, QMap<int, double> *needed) const;
    //! What is left of a timed formula after elapsedMs of dosing.
    static Formula remainderOf(const Formula &formula, int64_t elapsedMs);
    //! Lowers the levels by what the formula dosed within elapsedMs.
    void dose(int dispenser, const Formula &formula, int64_t elapsedMs);
    //! Grams a formula put on the scale within elapsedMs.
    double dosedGrams(int dispenser, const Formula &formula, int64_t elapsedMs) const;
    //! The scale a dispenser doses onto by weight; 0 when none.
    int gravimetricScale(int dispenser) const;
    //! The scale the dispenser is wired to: the configured one unless rewired.
    int wiredScale(const FW_Dispenser &dispenser) const
    {
        return m_wiredScales.value(dispenser.machineNumber(), dispenser.scaleNumber());
    }
    //! A fresh random ticket number not in use.
    int newTicket() const;
    //! Refusal of a process command on a machine that is off or busy; invalid when it may start.
    XmlRpc::XmlRpcValue refusal(const Runtime &runtime) const;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cond;
    //! Signalled when m_waiting changes; kept apart from m_cond so that a
    //! call starting or ending its wait does not wake every held call.
    mutable std::condition_variable m_waitingCond;
    uint64_t m_changes = 0;
    int m_waiting = 0;
    bool m_shutdown = false;

    QString m_version;
    int m_resetMs;
    double m_dosingRate;
    int m_channelMs;
    FW_Configuration m_configuration;
    QMap<MachineID, Runtime> m_machines;
    QMap<QPair<int, int>, double> m_levels;
    QMap<int, double> m_scaleLoads; //!< grams on each scale, by scale number
    QMap<int, int> m_wiredScales; //!< scale by dispenser number, where wireScale() rewired one
    SimSessionTable m_sessions;
    QMap<int, Ticket> m_tickets;
    SimEventScript m_script;
    SimConfigStore m_store;
    FW_Configuration m_factory; // after m_store, which it starts from
    SimStatsTable m_stats;
    QMap<int, int> m_timedOff;  // dispenser -> timed processes off
    QMap<MachineID, QList<FW_Program>> m_slaveBoards;
    SimDataState m_data;
};

#endif // SIMDRIVERMODEL_H
