// The command catalogue: identifiers, names, time limits, firmware codes and
// the properties that queue routing and command classification rely on.

#include "ProtoCommandList.h"

#include <gtest/gtest.h>

#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QMap>
#include <QtCore/QRegularExpression>
#include <QtCore/QSet>

#include <atomic>
#include <ostream>
#include <thread>
#include <vector>

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

using PCL = ProtoCommandList;
using R = ProtoCommandRecord;

QList<const R *> allRecords()
{
    QList<const R *> rows;
    for (int i = 0; i < PCL::NumOfCommands; ++i)
        rows.append(PCL::record(static_cast<PCL::CommandListValue>(i)));
    return rows;
}

QStringList namesWhere(bool (*pred)(const R &))
{
    QStringList names;
    for (const R *r : allRecords())
        if (pred(*r))
            names.append(r->name);
    return names;
}

} // namespace

TEST(CatalogueShape, OneRowPerIdentifierWithUniqueWellFormedNames)
{
    const QStringList names = PCL::commandNames();
    ASSERT_EQ(names.size(), 205);
    ASSERT_EQ(static_cast<int>(PCL::NumOfCommands), 205);

    const QRegularExpression nameForm(QStringLiteral("^[A-Z][A-Z0-9]*(_[A-Z0-9]+)*$"));
    QSet<QString> seen;
    for (int i = 0; i < names.size(); ++i) {
        const R *r = PCL::record(static_cast<PCL::CommandListValue>(i));
        ASSERT_NE(r, nullptr) << i;
        EXPECT_TRUE(r->isValid());
        EXPECT_EQ(r->identifier, i);
        EXPECT_EQ(r->name, names.at(i));
        EXPECT_EQ(PCL::cmdStr(i), names.at(i));
        EXPECT_EQ(PCL::commandValue(names.at(i)), i);
        EXPECT_EQ(PCL::record(names.at(i)), r) << "look-up by name and by identifier disagree";
        EXPECT_TRUE(nameForm.match(r->name).hasMatch()) << r->name.toStdString();
        EXPECT_FALSE(seen.contains(r->name)) << "duplicate " << r->name.toStdString();
        seen.insert(r->name);
    }
    EXPECT_EQ(PCL::instance(), PCL::instance());
}

TEST(CatalogueShape, IdentifiersOtherPartsOfTheLibraryNameCommandsBy)
{
    EXPECT_EQ(PCL::cmdStr(PCL::GET_STATUS), QStringLiteral("GET_STATUS"));
    EXPECT_EQ(PCL::cmdStr(PCL::GET_DISP_STATUS), QStringLiteral("GET_DISP_STATUS"));
    EXPECT_EQ(PCL::cmdStr(PCL::STOP), QStringLiteral("STOP"));
    EXPECT_EQ(PCL::cmdStr(7), QStringLiteral("STOP"));
    EXPECT_EQ(PCL::cmdStr(8), QStringLiteral("TINT"));
    EXPECT_EQ(PCL::cmdStr(17), QStringLiteral("PURGE"));
    EXPECT_EQ(PCL::cmdStr(27), QStringLiteral("GET_SENSORS_STATUS"));
    EXPECT_EQ(PCL::cmdStr(77), QStringLiteral("GET_ACTIVE_DISP"));
    EXPECT_EQ(PCL::cmdStr(92), QStringLiteral("GET_CONN_STATUS"));
    EXPECT_EQ(PCL::cmdStr(113), QStringLiteral("GET_CURRENT_WEIGHT"));
    EXPECT_EQ(PCL::cmdStr(126), QStringLiteral("GET_SCALE_STATUS"));
    EXPECT_EQ(PCL::cmdStr(131), QStringLiteral("GET_ACTIVE_CIRCUITS"));
    EXPECT_EQ(PCL::cmdStr(141), QStringLiteral("GET_MIXER_STATUS"));
    EXPECT_EQ(PCL::cmdStr(PCL::GET_INV_TESTS), QStringLiteral("GET_INV_TESTS"));
    EXPECT_EQ(PCL::commandValue(QStringLiteral("GET_INV_TESTS")), 204);
    EXPECT_EQ(PCL::commandNames().first(), QStringLiteral("GET_STATUS"));
    EXPECT_EQ(PCL::commandNames().last(), QStringLiteral("GET_INV_TESTS"));
}

TEST(CatalogueLookup, UnknownNamesAndValuesFindNothingAndAnswerNeutrally)
{
    const QStringList unknown = { QString(), QStringLiteral(""), QStringLiteral("tint"),
                                  QStringLiteral("Tint"), QStringLiteral(" TINT"),
                                  QStringLiteral("TINT "), QStringLiteral("PING"),
                                  QStringLiteral("NO_SUCH_COMMAND") };
    for (const QString &name : unknown) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(PCL::existsCommand(name));
        EXPECT_EQ(PCL::record(name), nullptr);
        EXPECT_EQ(PCL::commandValue(name), -1);
        EXPECT_FALSE(PCL::addressMachine(name));
        EXPECT_FALSE(PCL::isConfigurationCommand(name, true));
        EXPECT_FALSE(PCL::isConfigurationCommand(name, false));
        EXPECT_FALSE(PCL::isScaleCommand(name, true));
        EXPECT_FALSE(PCL::isScaleCommand(name, false));
        EXPECT_FALSE(PCL::hasHighSchedulingPriority(name));
        EXPECT_FALSE(PCL::checkBusyFlag(name));
        EXPECT_FALSE(PCL::trackExecutionTime(name));
        EXPECT_FALSE(PCL::erogationCommand(name));
        EXPECT_EQ(PCL::commandTimeout(name), 0);
        EXPECT_TRUE(PCL::firmwareCode(name).isEmpty());
        EXPECT_TRUE(PCL::shortCode(name).isEmpty());
    }
    EXPECT_TRUE(PCL::existsCommand(QStringLiteral("TINT")));

    for (int value : { -1, 205, 1000 }) {
        EXPECT_TRUE(PCL::cmdStr(value).isEmpty()) << value;
        EXPECT_EQ(PCL::record(static_cast<PCL::CommandListValue>(value)), nullptr) << value;
    }
    EXPECT_TRUE(PCL::cmdStr(PCL::NumOfCommands).isEmpty());
}

TEST(CatalogueTimeLimits, RowsOfEachValueAndNoOthers)
{
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("SET_SOFTWARE_VERSION")), 3000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("GET_SIMULATION_SETTINGS")), 3000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("INV_DATA_READING")), 10000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("AUTOCAP_MOVE")), 20000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("GET_CIRCUITS_STATUS")), 40000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("SAVE_CONFIG")), 40000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("LOCK_KEYBOARD")), 40000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("STOP")), 60000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("PRIMING")), 240000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("CHECK_BUSY")), 240000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("SET_FW_DATA")), 240000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("RESET")), 360000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("INIT")), 360000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("ULTRASOUND_CLEAN")), 500000);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("TINT")), 9999999);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("GETLOGS")), 9999999);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("SETDBFILE")), 9999999);
    // Rows without a limit.
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("GET_STATUS")), 0);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("UPDATE_FW")), 0);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("SAVE_DISP_CONFIG")), 0);
    EXPECT_EQ(PCL::commandTimeout(QStringLiteral("GET_INV_TESTS")), 0);

    QMap<int, int> perValue;
    for (const R *r : allRecords())
        if (r->timeLimit != 0)
            ++perValue[r->timeLimit];
    const QMap<int, int> expected = { { 3000, 5 },    { 10000, 2 },   { 20000, 1 },
                                      { 40000, 17 },  { 60000, 1 },   { 240000, 22 },
                                      { 360000, 5 },  { 500000, 1 },  { 9999999, 24 } };
    EXPECT_EQ(perValue, expected);
}

TEST(CatalogueCodes, FirmwareCodesAreSharedAsListedAndWellFormed)
{
    for (const char *name : { "GET_ERROR_PKT", "CLEAR_ERRORS", "ERRORS_NUM" })
        EXPECT_EQ(PCL::firmwareCode(QLatin1String(name)), QStringLiteral("000C")) << name;
    for (const char *name : { "TINT", "PRIMING", "PACK", "PURGE", "CHANNEL_TINT" })
        EXPECT_EQ(PCL::firmwareCode(QLatin1String(name)), QStringLiteral("0017")) << name;
    for (const char *name : { "PACK2", "AIRPURGE" })
        EXPECT_EQ(PCL::firmwareCode(QLatin1String(name)), QStringLiteral("0023")) << name;
    for (const char *name : { "GET_LAST_BOARD_STATS", "GET_REAL_BOARD_STATS", "SET_BOARD_STATS",
                              "CLEAR_BOARD_STATS", "ADD_USS_W_EVENT", "GET_USS_W_STATUS" })
        EXPECT_EQ(PCL::firmwareCode(QLatin1String(name)), QStringLiteral("0078")) << name;
    EXPECT_EQ(PCL::firmwareCode(QStringLiteral("GET_STATUS")), QStringLiteral("0006"));
    EXPECT_EQ(PCL::firmwareCode(QStringLiteral("RESET_FW")), QStringLiteral("3F78"));
    EXPECT_EQ(PCL::firmwareCode(QStringLiteral("GET_ACTIVE_CIRCUITS")), QStringLiteral("001A"));
    EXPECT_EQ(PCL::firmwareCode(QStringLiteral("DEAIRING")), QStringLiteral("0F39"));
    EXPECT_TRUE(PCL::firmwareCode(QStringLiteral("GET_ERRORS")).isEmpty());
    EXPECT_TRUE(PCL::firmwareCode(QStringLiteral("UPDATE_FW")).isEmpty());

    const QRegularExpression hex4(QStringLiteral("^[0-9A-F]{4}$"));
    int empty = 0, simulation = 0, board = 0;
    QStringList simulationNames;
    for (const R *r : allRecords()) {
        if (r->firmwareCode.isEmpty()) {
            ++empty;
        } else if (r->firmwareCode == QLatin1String("00")) {
            ++simulation;
            simulationNames.append(r->name);
        } else {
            ++board;
            EXPECT_TRUE(hex4.match(r->firmwareCode).hasMatch()) << r->name.toStdString();
        }
    }
    EXPECT_EQ(empty, 122);
    EXPECT_EQ(simulation, 4);
    EXPECT_EQ(board, 79);
    EXPECT_EQ(simulationNames,
              QStringList({ "GET_SIMULATION_SETTINGS", "SET_SIMULATION_SETTINGS",
                            "GET_SCALE_SIMULATION_SETTINGS", "SET_SCALE_SIMULATION_SETTINGS" }));
}

TEST(CatalogueCodes, OnlyThreeRowsCarryAShortCode)
{
    EXPECT_EQ(PCL::shortCode(QStringLiteral("GET_STATUS")), QStringLiteral("I3"));
    EXPECT_EQ(PCL::shortCode(QStringLiteral("WORKING_MODE")), QStringLiteral("FR"));
    EXPECT_EQ(PCL::shortCode(QStringLiteral("TOGGLE_TEMPORIZED")), QStringLiteral("FR"));
    EXPECT_EQ(namesWhere([](const R &r) { return !r.shortCode.isEmpty(); }).size(), 3);
}

// What queue routing (stop, priority, configuration, scale, standard) and the
// call kind of a command depend on.
TEST(CatalogueRouting, StopAndLongProcesses)
{
    const QString stop = PCL::cmdStr(PCL::STOP);
    EXPECT_FALSE(PCL::trackExecutionTime(stop)) << "STOP must be answered in one call";
    EXPECT_FALSE(PCL::checkBusyFlag(stop)) << "STOP must be accepted while the machine is busy";
    EXPECT_TRUE(PCL::addressMachine(stop)) << "only machines have a stop commands thread";

    for (const char *name : { "RESET", "TINT", "TINT2", "PURGE", "INIT", "MIX", "UPDATE_FW" }) {
        EXPECT_TRUE(PCL::trackExecutionTime(QLatin1String(name))) << name;
        EXPECT_TRUE(PCL::checkBusyFlag(QLatin1String(name))) << name;
        EXPECT_TRUE(PCL::addressMachine(QLatin1String(name))) << name;
    }
    for (const char *name : { "GET_STATUS", "GET_DISP_STATUS", "GET_MIXER_STATUS", "GET_ERRORS",
                              "CLEAR_ERRORS", "GET_CMD_STATUS", "LOGIN", "LOGOUT", "GET_KEY",
                              "CERTIFY_SESSION", "GET_SW_VERSION", "GET_DISP_LIST",
                              "GET_MIXER_LIST", "GET_ACTIVE_DISP", "GET_CONFIG", "GETLOGS" })
        EXPECT_FALSE(PCL::trackExecutionTime(QLatin1String(name))) << name;
}

TEST(CatalogueRouting, DriverLevelAndMachineCommands)
{
    // Sent without a session; the session handshake and the lists used to
    // re-create sessions must never need a session themselves.
    for (const char *name : { "LOGIN", "LOGOUT", "GET_KEY", "CERTIFY_SESSION", "GET_CMD_STATUS",
                              "GET_DISP_LIST", "GET_MIXER_LIST", "GET_SW_VERSION",
                              "GET_ACTIVE_DISP", "GET_DRIVER_SETTINGS", "GET_DRIVER_INFO",
                              "GET_CONN_STATUS", "GET_CONFIG", "SAVE_CONFIG",
                              "SET_ACTIVE_DISP", "SET_ACTIVE_MACHINE", "CLONE_MACHINE" })
        EXPECT_FALSE(PCL::addressMachine(QLatin1String(name))) << name;
    for (const char *name : { "TINT", "RESET", "STOP", "GET_DISP_STATUS", "GET_MIXER_STATUS",
                              "GET_ERRORS", "CLEAR_ERRORS", "GET_ACTIVE_CIRCUITS",
                              "GET_CURRENT_WEIGHT", "GET_SCALE_STATUS", "GET_CMD_LIST",
                              "READ_FW_VERSION", "FW_SCAN", "DELETE_MACHINE", "SAVE_DISP_CONFIG" })
        EXPECT_TRUE(PCL::addressMachine(QLatin1String(name))) << name;
}

TEST(CatalogueRouting, ConfigurationAndScaleClasses)
{
    EXPECT_EQ(namesWhere([](const R &r) { return r.isConfiguration(true); }),
              QStringList({ "SAVE_CONFIG", "SAVE_DISP_CONFIG", "SAVE_MACHINE_CONFIG" }));
    for (const char *name : { "SAVE_CONFIG", "SAVE_DISP_CONFIG", "SAVE_MACHINE_CONFIG" }) {
        EXPECT_TRUE(PCL::isConfigurationCommand(QLatin1String(name), true)) << name;
        EXPECT_TRUE(PCL::isConfigurationCommand(QLatin1String(name), false)) << name;
        EXPECT_FALSE(PCL::trackExecutionTime(QLatin1String(name))) << name;
    }
    for (const char *name : { "GET_CONFIG", "GET_CALIB_PROFILES", "SET_CALIB_LIST",
                              "DELETE_MACHINE", "SET_DISP_ID", "SET_SCALE_CONFIG" }) {
        EXPECT_TRUE(PCL::isConfigurationCommand(QLatin1String(name), false)) << name;
        EXPECT_FALSE(PCL::isConfigurationCommand(QLatin1String(name), true)) << name;
    }
    EXPECT_FALSE(PCL::isConfigurationCommand(QStringLiteral("TINT"), false));
    EXPECT_FALSE(PCL::isConfigurationCommand(QStringLiteral("GET_DISP_STATUS"), false));

    // The scale weight thread's query must reach the scale commands queue.
    for (const char *name : { "GET_CURRENT_WEIGHT", "WEIGHT", "TARE", "TARE_SET", "SCALE_RESET",
                              "SCALE_INFO" }) {
        EXPECT_TRUE(PCL::isScaleCommand(QLatin1String(name), true)) << name;
        EXPECT_FALSE(PCL::hasHighSchedulingPriority(QLatin1String(name))) << name;
        EXPECT_FALSE(PCL::isConfigurationCommand(QLatin1String(name), false)) << name;
    }
    EXPECT_EQ(namesWhere([](const R &r) { return r.isScale(true); }).size(), 6);
    // Asking whether a scale is there must not need the scale thread.
    EXPECT_FALSE(PCL::isScaleCommand(QStringLiteral("GET_SCALE_STATUS"), true));
    EXPECT_TRUE(PCL::isScaleCommand(QStringLiteral("GET_SCALE_STATUS"), false));
    EXPECT_FALSE(PCL::isScaleCommand(QStringLiteral("TINT"), false));
}

TEST(CatalogueRouting, HighPriorityAndDispensing)
{
    for (const char *name : { "GET_STATUS", "GET_DISP_STATUS", "GET_MIXER_STATUS", "GET_ERRORS",
                              "CLEAR_ERRORS", "GET_ACTIVE_CIRCUITS", "GET_FORMULA_EXECUTION" })
        EXPECT_TRUE(PCL::hasHighSchedulingPriority(QLatin1String(name))) << name;
    // Driver-level commands used while a driver starts, when only the
    // standard commands threads may exist.
    for (const char *name : { "LOGIN", "GET_KEY", "CERTIFY_SESSION", "GET_SW_VERSION",
                              "GET_CALIB_PROFILES", "GET_CONFIG", "GET_ACTIVE_DISP",
                              "GET_DISP_LIST", "GET_MIXER_LIST", "SET_ACTIVE_DISP", "TINT",
                              "RESET", "SAVE_DISP_CONFIG", "GET_CURRENT_WEIGHT" })
        EXPECT_FALSE(PCL::hasHighSchedulingPriority(QLatin1String(name))) << name;

    for (const char *name : { "TINT", "PURGE", "TINT2", "CHANNEL_TINT", "PRIMING", "PRIMING2",
                              "FIRST_PRIMING", "PACK" })
        EXPECT_TRUE(PCL::erogationCommand(QLatin1String(name))) << name;
    for (const char *name : { "RESET", "STIRRING", "RECIRCULATION", "CLEANING", "MIX",
                              "GET_FORMULA_EXECUTION", "UPDATE_FW" })
        EXPECT_FALSE(PCL::erogationCommand(QLatin1String(name))) << name;
}

// Rules the properties follow in every row; a row that breaks one would route
// or call its command in a way that cannot work.
TEST(CatalogueConsistency, PropertiesAgreeInEveryRow)
{
    for (const R *r : allRecords()) {
        SCOPED_TRACE(r->name.toStdString());
        if (r->dispensing) {
            EXPECT_TRUE(r->trackExecutionTime) << "dispensing is a long process";
        }
        if (r->trackExecutionTime) {
            EXPECT_TRUE(r->checkBusy) << "a process needs an idle machine";
            EXPECT_TRUE(r->addressesMachine()) << "processes run on machines";
            EXPECT_NE(r->progressKind, R::ProgressNone);
        } else {
            EXPECT_EQ(r->progressKind, R::ProgressNone);
        }
        if (r->isConfiguration(true)) {
            EXPECT_FALSE(r->trackExecutionTime) << "stored configurations are called synchronously";
        }
        if (r->highPriority) {
            EXPECT_TRUE(r->addressesMachine()) << "priority threads of the driver level may be missing";
            EXPECT_FALSE(r->trackExecutionTime);
            EXPECT_FALSE(r->checkBusy) << "overtakes the running process, so busy is expected";
            EXPECT_FALSE(r->isConfiguration(false));
            EXPECT_FALSE(r->isScale(false));
        }
        if (r->isScale(true)) {
            EXPECT_TRUE(r->addressesMachine());
        }
        if (r->notifyChanged) {
            EXPECT_FALSE(r->trackExecutionTime);
            EXPECT_FALSE(r->checkBusy);
        }
        EXPECT_EQ(r->simulationOnly, r->firmwareCode == QLatin1String("00"));
        EXPECT_GE(r->accessLevel, R::OperatorAccess);
        EXPECT_LE(r->accessLevel, R::FactoryAccess);
        EXPECT_GE(r->machineTypes, 0);
        EXPECT_LE(r->machineTypes, 7);
        EXPECT_FALSE(R::groupName(r->group).isEmpty());
        EXPECT_GE(r->answerKind, R::AnswerAck);
        EXPECT_LE(r->answerKind, R::AnswerFile);
        EXPECT_GE(r->timeLimit, 0);
    }

    EXPECT_EQ(namesWhere([](const R &r) { return r.progressKind == R::ProgressFormula; }),
              QStringList({ "TINT", "PURGE", "TINT2" }));
    EXPECT_EQ(namesWhere([](const R &r) { return r.firmwareUpdate; }),
              QStringList({ "UPDATE_FW", "SEND_FW_PACKAGE" }));
    EXPECT_EQ(namesWhere([](const R &r) { return r.sessionKind == R::SessionHandshake; }),
              QStringList({ "LOGIN", "LOGOUT", "GET_KEY", "CERTIFY_SESSION" }));
    // The queries the polling threads long-poll.
    for (const char *name : { "GET_DISP_STATUS", "GET_MIXER_STATUS", "GET_ACTIVE_DISP",
                              "GET_CONN_STATUS", "GET_SENSORS_STATUS", "GET_CIRCUITS_STATUS",
                              "GET_ACTIVE_CIRCUITS" })
        EXPECT_TRUE(PCL::record(QLatin1String(name))->notifyChanged) << name;
}

TEST(CatalogueCalls, MethodNamesOfTheCallKinds)
{
    EXPECT_EQ(PCL::functionCallStr(SyncCall), QStringLiteral("AXO.execute"));
    EXPECT_EQ(PCL::functionCallStr(AsyncCall), QStringLiteral("AXO.executeAsync"));
    EXPECT_EQ(PCL::functionCallStr(NotifyChangedCall), QStringLiteral("AXO.notifyChanged"));
    for (int other : { 0, 3, 5, 8, -1 })
        EXPECT_TRUE(PCL::functionCallStr(other).isEmpty()) << other;
}

TEST(CatalogueThreads, ConcurrentFirstUseBuildsOneTableThatAllThreadsRead)
{
    // Whichever thread comes first builds the table; the others see it whole.
    std::atomic<bool> go{ false };
    std::atomic<int> failures{ 0 };
    std::vector<const ProtoCommandList *> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            while (!go.load())
                std::this_thread::yield();
            seen[t] = PCL::instance();
            for (int round = 0; round < 50; ++round) {
                for (int i = 0; i < PCL::NumOfCommands; ++i) {
                    const QString name = PCL::cmdStr(i);
                    if (PCL::commandValue(name) != i)
                        ++failures;
                }
                if (!PCL::trackExecutionTime(QStringLiteral("TINT"))
                    || PCL::commandTimeout(QStringLiteral("STOP")) != 60000)
                    ++failures;
            }
        });
    }
    go.store(true);
    for (std::thread &th : threads)
        th.join();
    EXPECT_EQ(failures.load(), 0);
    for (const ProtoCommandList *p : seen)
        EXPECT_EQ(p, PCL::instance());
}

// docs/commands.md lists every command with what a driver needs to know of
// it; the list is the catalogue's, written out, and must not drift from it.
namespace {

QString machinesText(int bits)
{
    if (bits == ProtoCommandRecord::DriverOnly)
        return QStringLiteral("—");
    QStringList kinds;
    if (bits & ProtoCommandRecord::DispenserBit)
        kinds << QStringLiteral("dispenser");
    if (bits & ProtoCommandRecord::ScaleBit)
        kinds << QStringLiteral("scale");
    if (bits & ProtoCommandRecord::MixerBit)
        kinds << QStringLiteral("mixer");
    return kinds.join(QStringLiteral(", "));
}

QString commandTable()
{
    static const char *const sessions[] = {"driver", "machine", "handshake"};
    static const char *const levels[] = {"", "operator", "service", "factory"};
    QString table = QStringLiteral("| Id | Command | Machines | Session | Method | Level |\n|---|---|---|---|---|---|\n");
    for (const QString &name : ProtoCommandList::commandNames()) {
        const ProtoCommandRecord *r = ProtoCommandList::record(name);
        QString method = r->trackExecutionTime ? QStringLiteral("executeAsync") : QStringLiteral("execute");
        if (r->notifyChanged)
            method += QStringLiteral(", notifyChanged");
        table += QStringLiteral("| %1 | `%2` | %3 | %4 | %5 | %6 |\n")
                     .arg(r->identifier)
                     .arg(name, machinesText(r->machineTypes), QLatin1String(sessions[r->sessionKind]), method,
                          QLatin1String(levels[r->accessLevel]));
    }
    return table;
}

} // namespace

TEST(CatalogueDocument, CommandsDocumentListsTheCatalogue)
{
    QFile file(QStringLiteral(AXOCOMM_DOCS_DIR "/commands.md"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(file.fileName());
    const QString text = QString::fromUtf8(file.readAll());
    const QString table = commandTable();
    if (!text.contains(table)) {
        QFile expected(QStringLiteral("commands-table.md"));
        if (expected.open(QIODevice::WriteOnly))
            expected.write(table.toUtf8());
        FAIL() << "docs/commands.md no longer lists the catalogue; the table it should hold is in "
               << qPrintable(QFileInfo(expected).absoluteFilePath());
    }
}
