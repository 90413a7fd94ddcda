#ifndef PROTOCOMMANDLIST_H
#define PROTOCOMMANDLIST_H

#include "AXOCommGlobal.h"
#include "FunctionCallType.h"
#include "ProtoCommandRecord.h"

#include <QtCore/QHash>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QVector>
#include <QtCore/QVariant>

class FW_Machine;
class ProtoCommand;

//! The catalogue of every command the drivers understand: one
//! ProtoCommandRecord per command, in identifier order. The table is built the
//! first time it is used and never changes afterwards, so any thread may read
//! it without a lock. Queries by name are case-sensitive; a name the catalogue
//! does not know answers neutrally (false, 0 or an empty text).
class AXOCOMM_EXPORT ProtoCommandList
{
public:
    //! Identifiers of the commands; each enumerator is the command's name.
    enum CommandListValue {
        GET_STATUS = 0,
        GET_DISP_STATUS = 1,
        GET_CIRCUITS_STATUS = 2,
        AUTOCAP_MOVE = 3,
        SHELF_MOVE = 4,
        GET_SHELF_POS = 5,
        RESET = 6,
        STOP = 7,
        TINT = 8,
        STIRRING = 9,
        RECIRCULATION = 10,
        GET_ERRORS = 11,
        GET_ERROR_PKT = 12,
        CLEAR_ERRORS = 13,
        ERRORS_NUM = 14,
        PRIMING = 15,
        PACK = 16,
        PURGE = 17,
        WORKING_MODE = 18,
        TOGGLE_TEMPORIZED = 19,
        WRITE_CONFIG_ROW = 20,
        READ_CONFIG_ROW = 21,
        FINALIZE_CONFIG = 22,
        GET_CMD_ID = 23,
        GET_DISP_INFO = 24,
        SET_DISP_INFO = 25,
        CLEAR_DISP_INFO = 26,
        GET_SENSORS_STATUS = 27,
        GET_SENSOR_DATA = 28,
        SET_DISP_OUTPUT = 29,
        SET_BOARD_POWER = 30,
        CHANNEL_TINT = 31,
        RESET_FW = 32,
        UPDATE_FW = 33,
        SLAVE_JUMP = 34,
        READ_FW_VERSION = 35,
        GET_FW_COMMANDS = 36,
        FW_SCAN = 37,
        FW_SCAN_START = 38,
        FW_SCAN_READ = 39,
        BOARD_MEMORY = 40,
        MOTOR_RUNNING = 41,
        GET_LAST_BOARD_STATS = 42,
        GET_REAL_BOARD_STATS = 43,
        SET_BOARD_STATS = 44,
        CLEAR_BOARD_STATS = 45,
        CHECK_SERIAL = 46,
        SET_SERIAL = 47,
        CLOSE_SERIAL = 48,
        SAVE_CONFIG = 49,
        GET_CONFIG = 50,
        CLEAN_CONFIG = 51,
        WRITE_FW_CONFIG = 52,
        READ_FW_CONFIG = 53,
        SET_CALIB_PROFILES = 54,
        GET_CALIB_PROFILES = 55,
        DELETE_DISPENSER = 56,
        CLONE_DISPENSER = 57,
        SAVE_DISP_CONFIG = 58,
        LOGIN = 59,
        LOGOUT = 60,
        GET_KEY = 61,
        CERTIFY_SESSION = 62,
        GET_CMD_STATUS = 63,
        GET_DISP_LIST = 64,
        GET_CMD_LIST = 65,
        GET_DEVICE_LIST = 66,
        GET_CIRCUIT_LIST = 67,
        GET_CANISTER_LIST = 68,
        GET_COLORANT_LIST = 69,
        GET_CALIB_LIST = 70,
        SET_CALIB_LIST = 71,
        SET_LEVELS = 72,
        CHECK_FORMULA_LEVELS = 73,
        GET_FORMULA_CIRCUITS = 74,
        GET_LOW_LEVEL_FORMULA = 75,
        SET_ACTIVE_DISP = 76,
        GET_ACTIVE_DISP = 77,
        SET_DM_DATA = 78,
        SET_DISP_DATA = 79,
        SET_CIRCUIT_MAX_SPEED = 80,
        GET_DRIVER_SETTINGS = 81,
        SET_DRIVER_SETTINGS = 82,
        GET_DRIVER_INFO = 83,
        CHECK_BUSY = 84,
        GET_CMD_EST_EXEC_TIME = 85,
        GET_SW_VERSION = 86,
        GET_STATS_ERRORS = 87,
        TURNTABLE_MOVE = 88,
        TURNTABLE_MOVE_STEPS = 89,
        GET_TURNTABLE_POSITIONS = 90,
        GET_CONFIG_CMDS = 91,
        GET_CONN_STATUS = 92,
        GET_DISPENSED_FORMULA = 93,
        CLEANING = 94,
        GET_KEY_CODE = 95,
        SET_SERIAL_NUMBER = 96,
        SET_CALIB_TEST_POINTS = 97,
        SET_DISP_ID = 98,
        AUTOTEST = 99,
        STIR_ALL = 100,
        TURNTABLE_MOVE_TO_REFILL = 101,
        GET_CONNECTIONS = 102,
        GET_HOST_INFO = 103,
        INIT = 104,
        PUNCH = 105,
        PLUG = 106,
        SET_QRCODE_CALIB = 107,
        SET_COLORANT_LIST = 108,
        SET_CANISTER_LIST = 109,
        WEIGHT = 110,
        TARE = 111,
        TARE_SET = 112,
        GET_CURRENT_WEIGHT = 113,
        SCALE_RESET = 114,
        ULTRASOUND_CLEAN = 115,
        GE_TEST = 116,
        DISPLAY_STRING = 117,
        GET_COL_USAGE_STATS = 118,
        SET_LED_STATUS = 119,
        PRIMING2 = 120,
        PACK2 = 121,
        AIRPURGE = 122,
        MIX = 123,
        SET_SCALE_CONFIG = 124,
        GET_SCALE_CONFIG = 125,
        GET_SCALE_STATUS = 126,
        GET_GRAV_SETTINGS = 127,
        SET_GRAV_SETTINGS = 128,
        SET_BT_SETTINGS = 129,
        GET_BT_SETTINGS = 130,
        GET_ACTIVE_CIRCUITS = 131,
        DEEP_SERVICE = 132,
        ADD_EVENT = 133,
        MIXER_STATUS = 134,
        GET_MIXER_LIST = 135,
        SET_ACTIVE_MACHINE = 136,
        DELETE_MACHINE = 137,
        CLONE_MACHINE = 138,
        SAVE_MACHINE_CONFIG = 139,
        UPDATE_DB_CONFIGURATION = 140,
        GET_MIXER_STATUS = 141,
        NOZZLE_CLEAN = 142,
        SW_PROCESS_TOGGLE = 143,
        ADD_USS_W_EVENT = 144,
        GET_USS_W_STATUS = 145,
        GET_QRCODE_CALIB = 146,
        GET_RECALIB_LIST = 147,
        SET_RECALIB_LIST = 148,
        RES_FILE_MNGM = 149,
        RES_FILE_WRITE = 150,
        RES_FILE_READ = 151,
        RES_FILE_LIST = 152,
        RES_FILE_DELETE = 153,
        VALVE_TEST = 154,
        CONFIG_PARAM = 155,
        TINT2 = 156,
        GET_LEVEL_SENSORS = 157,
        GET_DEVICE_PARAMS = 158,
        ADD_STATS_ERRORS = 159,
        CBX_CYCLE_OPERATION = 160,
        CBX_ACTUATOR_MOVE = 161,
        CBX_SLAVE_PROCEDURE = 162,
        CBX_GET_COMMANDS = 163,
        MIXER_PLATES = 164,
        GET_FORMULA_EXECUTION = 165,
        GET_SHELF_PARAMS = 166,
        PAUSE = 167,
        GET_FW_PACKAGE_INFO = 168,
        SEND_FW_PACKAGE = 169,
        SW_TEST = 170,
        ADD_DISPENSING_TEST = 171,
        SCALE_INFO = 172,
        LOCK_KEYBOARD = 173,
        EXECQ = 174,
        GETDBFILE = 175,
        GETLOGS = 176,
        GET_CURR_DOSING_FRM = 177,
        IMPORT_BACKUP_TO_DB = 178,
        CALIB_XML_TO_DB = 179,
        DISP_TEST_XML_TO_DB = 180,
        FIRST_PRIMING = 181,
        GET_REMOTE_DRIVER_SETTINGS = 182,
        REFRESH_MACHINE_STATS = 183,
        DEAIRING = 184,
        GET_CALIB_DATA = 185,
        ENCRYPT_CONFIG_PROFILE = 186,
        GRAV_TRAINING_STATUS = 187,
        GET_SIMULATION_SETTINGS = 188,
        SET_SIMULATION_SETTINGS = 189,
        TEST_PISTON_DOSING_SETTINGS = 190,
        SET_SOFTWARE_VERSION = 191,
        GET_SCALE_SIMULATION_SETTINGS = 192,
        SET_SCALE_SIMULATION_SETTINGS = 193,
        SET_CUSTOM_SPECW = 194,
        GET_NOZZLE_VALVE_REG_SETTINGS = 195,
        SET_NOZZLE_VALVE_REG_SETTINGS = 196,
        SETDBFILE = 197,
        GET_FW_DATA = 198,
        SET_FW_DATA = 199,
        MOTOR_TEST = 200,
        INV_TEST = 201,
        INV_DATA_READING = 202,
        ADD_INV_TEST = 203,
        GET_INV_TESTS = 204,
        NumOfCommands = 205
    };

    //! The catalogue, built on first use.
    static ProtoCommandList *instance();

    //! Whether the catalogue has a command of that name.
    static bool existsCommand(const QString &name);
    //! The command needs a machine session: it is addressed to a machine, not to the driver.
    static bool addressMachine(const QString &name);
    //! strict: the commands that store a configuration; otherwise every
    //! command that reads or changes configuration or calibration data.
    static bool isConfigurationCommand(const QString &name, bool strict);
    //! strict: the commands that need the scale itself; otherwise also those
    //! about scale and gravimetric data.
    static bool isScaleCommand(const QString &name, bool strict);
    //! Overtakes the process running on its machine (priority commands queue).
    static bool hasHighSchedulingPriority(const QString &name);
    //! The machine refuses the command while it is busy.
    static bool checkBusyFlag(const QString &name);
    //! A long process: called asynchronously and followed by ticket.
    static bool trackExecutionTime(const QString &name);
    //! A dispensing command: colorant leaves the canisters.
    static bool erogationCommand(const QString &name);
    //! Time limit of one synchronous call in milliseconds; 0 when none.
    static int commandTimeout(const QString &name);
    //! The firmware command code of a command; empty when unknown or none.
    static QString firmwareCode(const QString &name);
    //! The serial status protocol code of a command; empty when unknown or none.
    static QString shortCode(const QString &name);

    //! Name of the command with that identifier; empty out of range.
    static QString cmdStr(CommandListValue value);
    //! Name of the command with that identifier; empty out of range.
    static QString cmdStr(int value);
    //! Identifier of the command; -1 when unknown.
    static int commandValue(const QString &name);
    //! XML-RPC method of a call kind (FunctionCallType); empty for any other value.
    static QString functionCallStr(int callType);
    //! Every name, in identifier order.
    static QStringList commandNames();
    //! A new protocol command for the name, owned by the caller; null when
    //! the name is unknown or the parameters do not fit the command.
    static ProtoCommand *getProtoCommand(const QString &name, const QList<QVariant> &parameters,
                                         const FW_Machine *machine);

    //! The row of a command; null when unknown. The row lives as long as the library.
    static const ProtoCommandRecord *record(const QString &name);
    //! The row of a command by identifier; null out of range.
    static const ProtoCommandRecord *record(CommandListValue value);

    ProtoCommandList(const ProtoCommandList &) = delete;
    ProtoCommandList &operator=(const ProtoCommandList &) = delete;

private:
    ProtoCommandList();

    const ProtoCommandRecord *find(const QString &name) const;
    const ProtoCommandRecord *at(int value) const;

    QVector<ProtoCommandRecord> m_records;
    QHash<QString, int> m_index;
    QStringList m_names;
};

#endif // PROTOCOMMANDLIST_H
