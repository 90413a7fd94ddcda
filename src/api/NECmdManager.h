#ifndef NECMDMANAGER_H
#define NECMDMANAGER_H

#include "AXOCommGlobal.h"
#include "MachineID.h"
#include "QRCodeDensity.h"

#include <QtCore/QByteArray>
#include <QtCore/QEvent>
#include <QtCore/QHash>
#include <QtCore/QList>
#include <QtCore/QMutex>
#include <QtCore/QObject>
#include <QtCore/QStringList>
#include <QtCore/QVariant>
#include <QtCore/QVersionNumber>

#include <deque>
#include <functional>
#include <string>

class AXODriverConnection;
class ColorantUsageDispStats;
class FW_Dispenser;
class QueryReply;
class RefillStatData;
class BasicCalibrationData;
class CalibrationData;
class CircuitGravSettings;
class FW_CalibrationProfiles;
class CanisterData;
class CircuitData;
class ColorantsPOSList;
class DeviceData;
class DriverInfo;
class GetCanisterListAnswer;
class UssWaterChangeStatus;
class DriverSettings;
class FW_Machine;
class FW_Program;
class FW_Configuration;
class Formula;
class FormulaProgress;
class GetActiveDispAnswer;
class NECommand;

//! The command API: executes commands on the drivers, synchronously or
//! not, and keeps the login sessions of their machines. Every operation is
//! static; the one instance, made by the data store, receives its signals.
//!
//! The ready-made operations (lists, driver data, configuration,
//! calibration, statistics) run blocking commands in the calling thread
//! unless they say otherwise, and record their failures, with a "TE00nnn"
//! code, on the driver's or the machine's error list in the store.
class AXOCOMM_EXPORT NECmdManager : public QObject
{
    Q_OBJECT

public:
    //! Made by the data store, which moves it to its own thread. A host does
    //! not make one: every instance runs the reactions to the store's signals.
    explicit NECmdManager(QObject *parent = nullptr);
    ~NECmdManager() override;

    // Execution.
    //! Runs one command: blocking in the calling thread until its status
    //! is final, or without blocking (with copy, on a copy of its own;
    //! without, on cmd, which must then live until cmdState() is final).
    //! True when the command could be run; its status tells the outcome.
    //! Without blocking true unless cmd is null.
    static bool executeCommand(NECommand *cmd, bool blocking, bool copy);
    //! Runs one command blocking, while the calling thread's event loop goes
    //! on (the host's slots and timers run inside the call).
    static bool executeCommandPumped(NECommand *cmd);
    //! Runs the commands one after the other, as executeCommand() does; when
    //! one cannot be enqueued, the rest end "interrupted". False for an empty list.
    static bool executeCommands(const QList<NECommand *> &cmds, bool blocking, bool copy);

    // Sessions.
    //! The three-step handshake: login, key exchange, certification.
    static bool login(int driverID, const MachineID &machineID, const QString &clientID);
    //! Ends the machine's session on the driver and forgets it; false when
    //! the logout could not be sent or failed.
    static bool logout(int driverID, const MachineID &machineID);
    //! The protocol secret of the session handshake (32 bytes), for every
    //! later login; it takes precedence over the client settings'
    //! AXOProtocolSecret / AXOProtocolSecretFile. An empty one returns to
    //! those (and, without them, to the built-in default). False when the
    //! secret is neither empty nor 32 bytes.
    static bool setProtocolSecret(const QByteArray &secret);
    //! The access level later logins ask for: 1 operator, 2 service,
    //! 3 factory; 0 returns to the client settings' AXOAccessLevel (1 when
    //! absent). The driver refuses commands above a session's level. False
    //! for another number.
    static bool setAccessLevel(int level);
    //! Logs the machines in (those with a session only with force); false
    //! when the list is empty or a login failed.
    static bool setSessions(int driverID, const QList<MachineID> &machineIDs, bool force);
    //! Logs in the configuration's machines that have no session and logs
    //! out the sessions of machines it no longer has.
    static bool refreshSessions(int driverID, const FW_Configuration &configuration);


    //! Sends "PING" to the driver at the endpoint through a temporary
    //! client, plain or TLS as the client settings file says. True when
    //! the driver answered within the time limit.
    static bool ping(const AXODriverConnection &connection, int timeoutSeconds);
    //! The same with a limit in seconds as a double (negative: none).
    static bool pingEndpoint(const AXODriverConnection &connection, double timeoutSeconds);
    //! Pings through the driver's running standard command thread.
    static bool ping(int driverID, int timeoutSeconds);

    // Lists, driver data, files and formulas (NECmdManagerData.cpp,
    // NECmdManagerFiles.cpp). Each returns false after a failure, which it
    // records in the store; the output is then left as it was.
    //! The numbers of the driver's dispensers.
    static bool getDispenserList(int driverID, QList<int> &dispensers);
    //! The numbers of the driver's mixers.
    static bool getMixerList(int driverID, QList<int> &mixers);
    //! The dispenser's circuits (GET_CIRCUIT_LIST).
    static bool getCircuitList(int driverID, int dispID, QList<CircuitData> &circuits);
    //! The colorants by position (GET_COLORANT_LIST).
    static bool getColorantList(int driverID, int dispID, QList<ColorantsPOSList> &colorants);
    //! The dispenser's devices (GET_DEVICE_LIST).
    static bool getDeviceList(int driverID, int dispID, QList<DeviceData> &devices);
    //! The canisters and their levels (GET_CANISTER_LIST).
    static bool getCanisterLevels(int driverID, int dispID, QList<CanisterData> &canisters);
    //! Reads the canister levels into the store's dispenser record.
    static bool refreshLevels(int driverID, int dispID, bool notify);
    //! What the driver tells about itself (GET_DRIVER_INFO).
    static bool getDriverInfo(int driverID, DriverInfo &info);
    //! The driver's software version (GET_SW_VERSION).
    static bool getDriverVersion(int driverID, QVersionNumber &version);
    //! The driver's settings file, as raw bytes.
    static bool getRemoteDriverSettings(int driverID, QByteArray &settings);
    //! A database file of the driver by name, through the current dispenser.
    static bool GetDbFile(int driverID, QByteArray &file, QString name);
    //! Hands the driver the statistics database file at the path.
    static bool SendStatsDbFile(int driverID, QString path);
    //! The driver's log (GETLOGS), as raw bytes.
    static bool GetLogs(int driverID, QByteArray &logs);
    //! The ultrasonic cleaner's water status; false when the dispenser does
    //! not support the command (TE00487).
    static bool getUSSWaterChangeStats(int driverID, int dispID, UssWaterChangeStatus &status);
    //! Tells the driver the ultrasonic cleaner's water was changed.
    static bool addUSSWaterChangeStatEvent(int driverID, int dispID);
    //! Stores the ultrasonic cleaner's water status when the dispenser's
    //! status says it has one to read; true when there was nothing to do.
    static bool refreshUSSCleaningState(int driverID, int dispID);
    //! A strict dispensing command whose dispenser reports formula progress.
    static bool hasFormulaProgressSupported(NECommand *cmd);
    //! Whether the dispenser reports the progress of a formula; the deep
    //! check asks the driver with a trial formula.
    static bool isFormulaProgressSupported(int driverID, int dispID, bool deepCheck);
    //! Asks the driver how it would execute the formula.
    static bool getFormulaExecution(int driverID, int dispID, const Formula &formula, FormulaProgress &progress);
    //! What is left of the dispenser's last interrupted formula; the formula
    //! is left as it was when nothing is left. With forget the driver drops
    //! its record once answered.
    static bool getInterruptedFormula(int driverID, int dispID, bool forget, Formula &formula);
    //! Dispenses what is left of it (without waiting); true when nothing is left.
    static bool resumeInterruptedFormula(int driverID, int dispID, bool forget);
    // (end of lists, driver data, files and formulas)

    // Statistics (NECmdManagerStats.cpp).
    //! Runs a query of the driver's statistics on the current dispenser of
    //! the current driver: the query text (up to its terminating zero) goes
    //! encrypted, the reply comes back decrypted as text and as a table.
    //! The driver ID addresses the error report only.
    static bool ExecQueryStats(int driverID, std::string &query, std::string &reply, QueryReply &parsed);
    //! Colorant usage of the dispenser (named to the driver by its serial
    //! number), asked of the current dispenser: by colorant code when one is
    //! given, else by canister number when above 0, else by position (0: all
    //! positions); narrowed to the listed colorants (none: all) and to at most
    //! limit entries (0: no limit).
    static bool getColorantsUsageStats(int driverID, FW_Dispenser &dispenser, QList<ColorantUsageDispStats> &out,
                                       QString colorant, int canister, int position, QStringList colorants,
                                       int limit);
    //! Records canister refills in the dispenser's statistics.
    static bool addStatEvents(int driverID, int dispID, const QList<RefillStatData> &events);
    //! The gravimetric training state of the current dispenser for a circuit
    //! position, or (0) for the dispenser as a whole.
    static bool GravimetricTrainingStatus(int driverID, int position, QString &status);
    // (end of statistics)

    // Calibration, settings, configuration edits, timed processes
    // (NECmdManagerCalibration.cpp).
    //! Has the driver add a machine of the source's type with a copy of its
    //! configuration; created names it. The flag has no effect.
    static bool cloneConfiguration(int driverID, const MachineID &source, MachineID &created, bool flag);
    //! Writes the machine's configuration into the driver's database
    //! (without waiting); true when the command could be sent.
    static bool updateDbConfiguration(int driverID, FW_Machine *machine);
    //! Puts machine in service (active) or out, replacing the other machine.
    static bool setActiveMachine(int driverID, const MachineID &machine, const MachineID &replaced, bool active,
                                 bool blocking);
    //! Stores the profiles in the driver (the custom ones when customChanged,
    //! the default ones when defaultChanged), then reloads them.
    static bool saveCalibrationProfiles(int driverID, int dispID, const FW_CalibrationProfiles &profiles,
                                        bool customChanged, bool defaultChanged);
    //! Calibration points of a circuit, or of all circuits for 0.
    static bool getCalibrationList(int driverID, int dispID, int circuit, QList<CalibrationData> &list);
    //! Writes calibration points.
    static bool setCalibrationList(int driverID, int dispID, const QList<CalibrationData> &list);
    //! Recalibration points of a circuit, or of all circuits for 0.
    static bool getRecalibrationList(int driverID, int dispID, int circuit, QList<BasicCalibrationData> &list);
    //! Writes recalibration points.
    static bool setRecalibrationList(int driverID, int dispID, const QList<BasicCalibrationData> &list);
    //! The texts of the QR codes that carry the dispenser's calibration data.
    static bool getQRCodeData(int driverID, int dispID, QRCodeDensity density, QStringList &codes);
    //! Imports a calibration XML file (a path of this host that must exist)
    //! into the database file of the directory.
    static bool CalibrationXmlToDb(int driverID, QString source, QString directory, QString file);
    //! Imports a dispensing test XML file, as CalibrationXmlToDb().
    static bool DispensingTestXmlToDb(int driverID, QString source, QString directory, QString file);
    //! Has the driver import a backup into the database file of the directory.
    static bool ImportBackupDataToDb(int driverID, QString backup, QString directory, QString file);
    //! Gravimetric settings of the circuits (all for an empty list).
    static bool getGravimetricSettings(int driverID, int dispID, QList<int> circuits,
                                       QList<CircuitGravSettings> &settings);
    //! Writes the settings and, on success, into the dispenser and the store.
    static bool setGravimetricSettings(int driverID, FW_Dispenser &dispenser, const QList<CircuitGravSettings> &settings);
    //! Writes the settings to the dispenser of that number only; the store is not updated.
    static bool setGravimetricSettings(int driverID, int dispID, const QList<CircuitGravSettings> &settings);
    //! Writes the driver's settings, then into the store.
    static bool setDriverSettings(int driverID, const DriverSettings &settings);
    //! Writes the named settings only (keys as in DriverSettings' XML-RPC form).
    static bool setDriverSettings(int driverID, const QHash<QString, QVariant> &values);
    //! Disables (for minutes, 0 for good) or enables the dispenser's timed
    //! processes; the stored status must allow a working-mode change.
    static bool toggleTemporizedProcesses(int driverID, int dispID, bool disable, int minutes);
    //! The master board's program, then those of the slave boards when the
    //! current machine can scan its bus.
    static bool scanAllFirmwareVersion(int driverID, const MachineID &machineID, QList<FW_Program> &programs);
    // (end of calibration)

    // Configuration, calibration and firmware (NECmdManagerConfig.cpp).
    //! Reads the driver's working configuration into the store; without
    //! blocking only sends the command (its reaction stores the answer).
    static bool loadConfiguration(int driverID, bool blocking);
    //! The same for the factory configuration.
    static bool loadFactoryConfiguration(int driverID, bool blocking);
    //! Reads the calibration profiles into the store, through the dispenser (0: the generic one).
    static bool loadCalibrationProfiles(int driverID, int dispID);
    //! Reads the driver's settings, also into the store.
    static bool getDriverSettings(int driverID, DriverSettings &settings);
    //! Reads the commands the driver supports for the machine into the store.
    static bool refreshCommandList(int driverID, const MachineID &machineID);
    //! Asks for the machine's firmware without waiting; its reaction stores it.
    static bool refreshFirmwareVersion(int driverID, const MachineID &machineID);
    //! The program of the machine's master board.
    static bool getMasterFirmwareVersion(int driverID, const MachineID &machineID, FW_Program &program);
    //! Stores the configuration in the driver (its machines stamped with
    //! this client's ID), then in the store; without blocking its reaction
    //! does that.
    static bool saveConfiguration(int driverID, FW_Configuration &configuration, bool overwrite, bool blocking,
                                  bool notify);
    //! Stores one machine's configuration; with check, an active machine's
    //! firmware must take it.
    static bool saveConfiguration(int driverID, FW_Machine *machine, bool check, bool blocking);
    //! Stores the machine's configuration as its factory configuration.
    static bool saveFactoryConfiguration(int driverID, FW_Machine *machine, bool blocking);
    //! Removes the machine from the driver's configuration; the reaction to
    //! the command removes its records.
    static bool deleteConfiguration(int driverID, const MachineID &machineID, bool blocking);

public slots:
    // Reactions to the data store's signals (NECmdManagerReactions.cpp):
    // queued to the thread that owns the instance when they come from
    // another one.
    //! An enqueued command: a STOP empties its machine's standard queue, an
    //! activation pauses the target machine's threads.
    void NECommandEnqueuedSlot(const NECommand &cmd);
    //! An ended command or a poll answer: applies it to the store (see livestate.md).
    void NECommandExecutedSlot(const NECommand &cmd);
    //! Nothing to do on progress.
    void NECommandProgressSlot(const NECommand &cmd);
    //! Reads the command lists of machines that connected or were reconfigured.
    void MachineStatusListChangedSlot(int driverID);
    //! Follows a dispenser's driver status (errors asked for or cleared, boot loader).
    void NEDispenserDriverStatusChangedSlot(int driverID, int dispID);
    //! Follows a machine's driver status, as for a dispenser.
    void NEMachineDriverStatusChangedSlot(int driverID, const MachineID &machineID);
    //! Reads the new current machine's firmware, commands and (dispensers) profiles.
    void CurrentMachineChangedSlot(const MachineID &machineID);

protected:
    //! Runs the reactions handed over from other threads.
    bool event(QEvent *event) override;

private:
    //! Runs the reactions handed over from other threads, in their order.
    void drainReactions();
    static QEvent::Type reactionEventType();
    //! Runs the reaction in this object's thread: at once when called there,
    //! else queued behind the reactions handed over before it.
    void post(std::function<void()> reaction);
    //! Type 0: the working configuration, 1: the factory one.
    static bool loadDriverConfiguration(int driverID, int type, bool blocking);
    static bool saveDriverConfiguration(int driverID, FW_Machine *machine, bool overwrite, bool factory,
                                        bool blocking);
    void connectReactions();
    static void collectErrors(const NECommand &cmd);
    static void applyActiveMachines(int driverID, const GetActiveDispAnswer &answer);
    static void applyDriverStatus(const NECommand &cmd);
    static void removeDeletedMachines(const NECommand &cmd);
    static void followDispenserStatuses(int driverID, const GetActiveDispAnswer &answer);
    //! The canister levels of the answer into the store's dispenser record.
    static bool storeLevels(int driverID, int dispID, const GetCanisterListAnswer &answer);

    QMutex m_reactionMutex;
    std::deque<std::function<void()>> m_reactions; // guarded by m_reactionMutex
};

#endif // NECMDMANAGER_H
