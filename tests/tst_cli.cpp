// axocomm as a user runs it: verdicts and exit statuses.

#include "DriverSimulator.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "DriverSettings.h"
#include "FW_Error.h"

#include <QtCore/QDir>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>
#include <QtCore/QProcess>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

struct CliRun
{
    int status;
    QString out;
    QString err;
};

class CliTest : public ::testing::Test
{
protected:
    CliRun run(const QStringList &args)
    {
        const std::unique_ptr<QProcess> process = launch(args);
        return finish(*process);
    }
    // Starts axocomm and leaves it running.
    std::unique_ptr<QProcess> launch(const QStringList &args)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("AXOCOMM_SETTINGS_ROOT"), root.path());
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(AXOCOMM_CLI), args);
        EXPECT_TRUE(process->waitForStarted(10000));
        return process;
    }
    CliRun finish(QProcess &process)
    {
        if (process.state() != QProcess::NotRunning) {
            EXPECT_TRUE(process.waitForFinished(30000));
        }
        m_out += QString::fromLocal8Bit(process.readAllStandardOutput());
        CliRun r{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, m_out,
                 QString::fromLocal8Bit(process.readAllStandardError())};
        m_out.clear();
        return r;
    }
    // Reads the running program's output until it holds the text; false
    // after the (generous) time limit.
    bool waitForOutput(QProcess &process, const QString &text, int timeoutMs = 20000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!m_out.contains(text) && timer.elapsed() < timeoutMs) {
            process.waitForReadyRead(100);
            m_out += QString::fromLocal8Bit(process.readAllStandardOutput());
        }
        return m_out.contains(text);
    }
    static void interrupt(QProcess &process, int signalNumber)
    {
        ::kill(static_cast<pid_t>(process.processId()), signalNumber);
    }
    // The default machines, with short processes.
    static SimScenario quickScenario()
    {
        SimScenario scenario = SimScenario::defaultScenario();
        scenario.setResetMs(300);
        scenario.setChannelMs(300);
        return scenario;
    }
    void useTls(bool on)
    {
        QDir(root.path()).mkpath(QStringLiteral("wuser/CommonSettings"));
        QFile file(root.path() + QStringLiteral("/wuser/CommonSettings/commonSettings"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(on ? "[General]\nAXOServiceUSEOPENSSL=true\nAXODriverIP=127.0.0.1\n"
                      : "[General]\nAXOServiceUSEOPENSSL=false\nAXODriverIP=127.0.0.1\n");
    }
    static QString endpoint(const DriverSimulator &sim)
    {
        return QStringLiteral("127.0.0.1:%1").arg(sim.port());
    }

    QTemporaryDir root;
    QTemporaryDir temp; // the program's temporary files
    QString m_out; // what the running program printed so far
};

} // namespace

TEST_F(CliTest, BadArgumentsExitWithUsage)
{
    for (const QStringList &args : {QStringList{}, QStringList{QStringLiteral("pong")},
                                    QStringList{QStringLiteral("ping")},
                                    QStringList{QStringLiteral("ping"), QStringLiteral("driverhost:9333")},
                                    QStringList{QStringLiteral("ping"), QStringLiteral("127.0.0.1:70000")},
                                    QStringList{QStringLiteral("ping"), QStringLiteral("127.0.0.1:9333"),
                                                QStringLiteral("--timeout"), QStringLiteral("soon")},
                                    QStringList{QStringLiteral("ping"), QStringLiteral("127.0.0.1:9333"),
                                                QStringLiteral("--cert")}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << qPrintable(args.join(QLatin1Char(' ')));
        EXPECT_TRUE(r.err.contains(QStringLiteral("usage: axocomm ping HOST:PORT"))) << qPrintable(r.err);
    }
}

TEST_F(CliTest, BadUsageOfEverySubcommandExitsWithItsUsage)
{
    useTls(false); // a driver on this host: scan checks the ports around the one given
    const QString at = QStringLiteral("127.0.0.1:9333");
    const QList<QPair<QString, QStringList>> cases = {
        {QStringLiteral("scan"), {}},
        {QStringLiteral("scan"), {QStringLiteral("127.0.0.1:3")}},
        {QStringLiteral("start"), {at, QStringLiteral("--level"), QStringLiteral("3")}},
        {QStringLiteral("start"), {at, QStringLiteral("--dispense"), QStringLiteral("1:-2")}},
        {QStringLiteral("exec"), {at}},
        {QStringLiteral("exec"), {at, QStringLiteral("NO_SUCH_COMMAND")}},
        {QStringLiteral("exec"), {at, QStringLiteral("RESET"), QStringLiteral("--machine"), QStringLiteral("1:robot")}},
        {QStringLiteral("exec"),
         {at, QStringLiteral("RESET"), QStringLiteral("--dispenser"), QStringLiteral("1"), QStringLiteral("--machine"),
          QStringLiteral("1")}},
        {QStringLiteral("exec"), {at, QStringLiteral("RESET"), QStringLiteral("--progress"), QStringLiteral("loud")}},
        {QStringLiteral("watch"), {at, QStringLiteral("--level"), QStringLiteral("x")}},
        {QStringLiteral("watch"), {at, QStringLiteral("--yaml")}},
        {QStringLiteral("errors"), {at, QStringLiteral("--machine"), QStringLiteral("0")}},
        {QStringLiteral("errors"), {at, at}},
        {QStringLiteral("config"), {QStringLiteral("get")}},
        {QStringLiteral("config"), {QStringLiteral("load"), at}},
        {QStringLiteral("config"), {QStringLiteral("save"), at}},
        {QStringLiteral("config"), {QStringLiteral("save"), at, QStringLiteral("f.json"), QStringLiteral("--factory")}},
        {QStringLiteral("stats"), {at}},
        {QStringLiteral("stats"), {at, QStringLiteral("  ")}},
        {QStringLiteral("stats"), {QStringLiteral("localhost:9333"), QStringLiteral("SELECT * FROM usage")}},
    };
    for (const auto &c : cases) {
        const CliRun r = run(QStringList{c.first} + c.second);
        const QString what = (QStringList{c.first} + c.second).join(QLatin1Char(' '));
        EXPECT_EQ(r.status, 2) << qPrintable(what + "\n" + r.out + r.err);
        EXPECT_TRUE(r.err.contains(QStringLiteral("usage: axocomm ") + c.first)) << qPrintable(what + "\n" + r.err);
        EXPECT_TRUE(r.out.isEmpty()) << qPrintable(what + "\n" + r.out);
    }
    // Help is not an error: the usage on stdout.
    const CliRun help = run({QStringLiteral("watch"), QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("usage: axocomm watch HOST:PORT"))) << qPrintable(help.out);
    EXPECT_TRUE(help.out.contains(QStringLiteral("--json"))) << qPrintable(help.out);
}

TEST_F(CliTest, PingPlainTlsAndNobody)
{
    DriverSimulator plain(DriverSimulator::Plain);
    ASSERT_TRUE(plain.start());
    DriverSimulator tls(DriverSimulator::Tls);
    ASSERT_TRUE(tls.start());

    useTls(false);
    CliRun r = run({QStringLiteral("ping"), endpoint(plain)});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("answered PING (plain)"))) << qPrintable(r.out);
    EXPECT_EQ(r.out.count(QLatin1Char('\n')), 1);

    useTls(true);
    r = run({QStringLiteral("ping"), endpoint(tls)});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("answered PING (TLS)"))) << qPrintable(r.out);

    r = run({QStringLiteral("ping"), endpoint(tls), QStringLiteral("--cert"),
             QString::fromStdString(DriverSimulator::defaultCaFile())});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);

    const QString gone = endpoint(tls);
    tls.stop();
    r = run({QStringLiteral("ping"), gone, QStringLiteral("--timeout"), QStringLiteral("2")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("did not answer"))) << qPrintable(r.out);
}

TEST_F(CliTest, StartPrintsThePhasesDispensesAndStops)
{
    // A driver on real hardware: the formula is followed circuit by circuit.
    SimScenario scenario = SimScenario::defaultScenario();
    scenario.setChannelMs(300);
    DriverSettings hardware = scenario.driverSettings();
    hardware.setSimulationMode(false);
    scenario.setDriverSettings(hardware);
    SimDriver driver(scenario);
    ASSERT_TRUE(driver.start());
    useTls(false);
    const QString at = QStringLiteral("127.0.0.1:%1").arg(driver.port());

    CliRun r = run({QStringLiteral("start"), at, QStringLiteral("--dispense"), QStringLiteral("1:2.5,3:1.5")});
    EXPECT_TRUE(r.out.contains(QStringLiteral("circuits: 1 dosing, 3 dosing"))) << qPrintable(r.out);
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    const QStringList phases = {QStringLiteral("Communication init ..."), QStringLiteral("Communication init: done"),
                                QStringLiteral("Calibration profiles load: done"),
                                QStringLiteral("Configuration load: done"), QStringLiteral("Communication start: done"),
                                QStringLiteral("active machines: dispenser 1, mixer 2"),
                                QStringLiteral("TINT on dispenser 1: 1:2.5 3:1.5"), QStringLiteral("progress 100%"),
                                QStringLiteral("TINT Done"), QStringLiteral("communication stopped")};
    int from = 0;
    for (const QString &phase : phases) {
        const int at = r.out.indexOf(phase, from);
        EXPECT_GE(at, 0) << "missing or out of order: " << qPrintable(phase) << "\n" << qPrintable(r.out);
        from = qMax(from, at);
    }
    EXPECT_LT(driver.model().level(1, 1), scenario.level(1, 1)) << "the formula was dosed";

    // Level 0 runs only the first and last phase; a driver that is not there fails.
    r = run({QStringLiteral("start"), at, QStringLiteral("--level"), QStringLiteral("0")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_FALSE(r.out.contains(QStringLiteral("Configuration load"))) << qPrintable(r.out);
    driver.stop();
    r = run({QStringLiteral("start"), at, QStringLiteral("--level"), QStringLiteral("1")});
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Communication init: FAILED"))) << qPrintable(r.out);
    EXPECT_EQ(run({QStringLiteral("start"), at, QStringLiteral("--level"), QStringLiteral("3")}).status, 2);
}

TEST_F(CliTest, ScanFindsTheDriverBelowItsPortOrNobody)
{
    SimDriver driver(quickScenario());
    ASSERT_TRUE(driver.start());
    useTls(false); // names this host: the ten ports around the one given are tried
    const int port = driver.port();
    const QString asked = QStringLiteral("127.0.0.1:%1").arg(port + 5);

    CliRun r = run({QStringLiteral("scan"), asked});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("driver found at 127.0.0.1:%1, not at %2").arg(port).arg(port + 5)))
        << qPrintable(r.out);

    driver.stop();
    r = run({QStringLiteral("scan"), asked});
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("no driver answered"))) << qPrintable(r.out);
}

TEST_F(CliTest, ExecRunsCatalogueCommandsWithParametersAndLogsOut)
{
    SimDriver driver(quickScenario());
    ASSERT_TRUE(driver.start());
    useTls(false);
    const QString at = QStringLiteral("127.0.0.1:%1").arg(driver.port());

    CliRun r = run({QStringLiteral("exec"), at, QStringLiteral("GET_SW_VERSION")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("GET_SW_VERSION on the driver (synchronous call)"))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("3.4.0-sim"))) << qPrintable(r.out);

    // A whole number goes as int: the calibration points of circuit 2 only,
    // a command for a service login.
    const QStringList calibration = {QStringLiteral("exec"), at, QStringLiteral("GET_CALIB_LIST"),
                                     QStringLiteral("--dispenser"), QStringLiteral("1"), QStringLiteral("--param"),
                                     QStringLiteral("2")};
    r = run(calibration);
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("TE10011"))) << qPrintable(r.out);
    r = run(calibration + QStringList{QStringLiteral("--access"), QStringLiteral("2")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("dispenser 1 logged in"))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("circuit: 2"))) << qPrintable(r.out);
    EXPECT_FALSE(r.out.contains(QStringLiteral("circuit: 3"))) << qPrintable(r.out);

    // Followed by ticket, not on a terminal: plain progress lines.
    r = run({QStringLiteral("exec"), at, QStringLiteral("RESET"), QStringLiteral("--machine"), QStringLiteral("2:mixer")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("RESET on mixer 2 (asynchronous call, followed by ticket)")))
        << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("  executed: "))) << qPrintable(r.out);
    EXPECT_FALSE(r.out.contains(QLatin1Char('\r'))) << qPrintable(r.out);

    // The bar, asked for: redrawn in place, ended by a line break.
    r = run({QStringLiteral("exec"), at, QStringLiteral("TINT"), QStringLiteral("--dispenser"), QStringLiteral("1"),
             QStringLiteral("--formula"), QStringLiteral("1:2,2:2,3:2"), QStringLiteral("--progress"),
             QStringLiteral("bar")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("\r  ["))) << qPrintable(r.out);
    EXPECT_FALSE(r.out.contains(QStringLiteral("  progress "))) << qPrintable(r.out);
    EXPECT_LT(driver.model().level(1, 2), 2000.0) << "the formula was dosed";

    // Refused by the driver: its error and exit status 1.
    r = run({QStringLiteral("exec"), at, QStringLiteral("TINT"), QStringLiteral("--dispenser"), QStringLiteral("1"),
             QStringLiteral("--formula"), QStringLiteral("99:1")});
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("  error "))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("driver 1 closed"))) << qPrintable(r.out);

    EXPECT_EQ(driver.model().sessionCount(), 0) << "every run logged its machine out";
}

TEST_F(CliTest, InterruptedExecStopsTheDispensingAndLogsOut)
{
    SimScenario scenario = quickScenario();
    scenario.setChannelMs(20000);
    SimDriver driver(scenario);
    ASSERT_TRUE(driver.start());
    useTls(false);
    const std::unique_ptr<QProcess> process =
        launch({QStringLiteral("exec"), QStringLiteral("127.0.0.1:%1").arg(driver.port()), QStringLiteral("TINT"),
                QStringLiteral("--dispenser"), QStringLiteral("1"), QStringLiteral("--formula"), QStringLiteral("4:5")});
    ASSERT_TRUE(waitForOutput(*process, QStringLiteral("  sent")));
    interrupt(*process, SIGINT);
    const CliRun r = finish(*process);
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("interrupted: STOP sent to dispenser 1"))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("driver 1 closed"))) << qPrintable(r.out);
    EXPECT_FALSE(driver.model().isBusy(MachineID(1, MachineID::Dispenser)));
    EXPECT_EQ(driver.model().sessionCount(), 0);

    // A driver that holds every call keeps the clean stop waiting: a second
    // signal ends the program at once.
    driver.simulator().setNeverAnswer(true);
    const std::unique_ptr<QProcess> stuck =
        launch({QStringLiteral("exec"), QStringLiteral("127.0.0.1:%1").arg(driver.port()), QStringLiteral("RESET"),
                QStringLiteral("--dispenser"), QStringLiteral("1")});
    ASSERT_TRUE(waitForOutput(*stuck, QStringLiteral("command threads started")));
    // Signals sent while one is pending merge into it: repeated until one lands.
    for (int i = 0; i < 100 && stuck->state() != QProcess::NotRunning; ++i) {
        interrupt(*stuck, SIGINT);
        stuck->waitForFinished(200);
    }
    EXPECT_EQ(finish(*stuck).status, 128 + SIGINT);
    driver.simulator().setNeverAnswer(false);
}

TEST_F(CliTest, WatchPrintsChangesUntilInterrupted)
{
    SimDriver driver(quickScenario());
    ASSERT_TRUE(driver.start());
    useTls(false);
    const QString at = QStringLiteral("127.0.0.1:%1").arg(driver.port());
    const MachineID dispenser(1, MachineID::Dispenser);

    // Text: one time-stamped line a signal; SIGINT ends it cleanly.
    std::unique_ptr<QProcess> process = launch({QStringLiteral("watch"), at});
    ASSERT_TRUE(waitForOutput(*process, QStringLiteral(" watching ")));
    ASSERT_TRUE(driver.model().raiseError(dispenser, FW_Error(FW_Error::HwError, QStringLiteral("Canister 7 empty"),
                                                              QStringLiteral("TE30007"))));
    EXPECT_TRUE(waitForOutput(*process, QStringLiteral("TE30007")));
    interrupt(*process, SIGINT);
    CliRun r = finish(*process);
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    const QRegularExpression errorLine(
        QStringLiteral("\\n\\d\\d:\\d\\d:\\d\\d\\.\\d{3} store NEErrorListUpdated driver=1 machine=dispenser:1 "
                       "changed=true errors=\\[\"TE30007\"\\]\\n"));
    EXPECT_TRUE(r.out.contains(errorLine)) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Communication start: done"))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral(" stopping by=SIGINT"))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.endsWith(QStringLiteral(" stopped\n"))) << qPrintable(r.out);
    EXPECT_EQ(driver.model().sessionCount(), 0) << "the watch logged its sessions out";

    // JSON: every line one object; SIGTERM ends it the same way.
    process = launch({QStringLiteral("watch"), at, QStringLiteral("--json"), QStringLiteral("--level"),
                      QStringLiteral("1")});
    ASSERT_TRUE(waitForOutput(*process, QStringLiteral("\"event\":\"watching\"")));
    ASSERT_TRUE(waitForOutput(*process, QStringLiteral("[\"TE30007\"]"))) << "read at the start";
    ASSERT_TRUE(driver.model().clearError(dispenser, QString()));
    EXPECT_TRUE(waitForOutput(*process, QStringLiteral("\"errors\":[],\"machine\":{\"number\":1,")));
    interrupt(*process, SIGTERM);
    r = finish(*process);
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    bool sawClear = false;
    for (const QString &line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QJsonParseError error;
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8(), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << qPrintable(line);
        EXPECT_TRUE(object.contains(QStringLiteral("time"))) << qPrintable(line);
        if (object.value(QStringLiteral("signal")) == QLatin1String("NEErrorListUpdated")
            && object.value(QStringLiteral("machine")).toObject().value(QStringLiteral("number")).toInt() == 1)
            sawClear = object.value(QStringLiteral("errors")).toArray().isEmpty();
    }
    EXPECT_TRUE(sawClear) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("\"by\":\"SIGTERM\""))) << qPrintable(r.out);
    EXPECT_EQ(driver.model().sessionCount(), 0);

    // A driver that is not there: the start fails.
    driver.stop();
    r = run({QStringLiteral("watch"), at, QStringLiteral("--level"), QStringLiteral("0")});
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
}

TEST_F(CliTest, ErrorsAreListedAndCleared)
{
    SimDriver driver(quickScenario());
    ASSERT_TRUE(driver.start());
    useTls(false);
    const QString at = QStringLiteral("127.0.0.1:%1").arg(driver.port());
    ASSERT_TRUE(driver.model().raiseError(MachineID(1, MachineID::Dispenser),
                                          FW_Error(FW_Error::HwError, QStringLiteral("Canister 7 empty"),
                                                   QStringLiteral("TE30007"))));

    CliRun r = run({QStringLiteral("errors"), at});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("dispenser 1: TE30007 - Canister 7 empty"))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("mixer 2: no errors"))) << qPrintable(r.out);

    r = run({QStringLiteral("errors"), at, QStringLiteral("--machine"), QStringLiteral("1"), QStringLiteral("--clear")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("dispenser 1: 1 error(s) cleared"))) << qPrintable(r.out);
    EXPECT_FALSE(r.out.contains(QStringLiteral("mixer"))) << qPrintable(r.out);

    r = run({QStringLiteral("errors"), at, QStringLiteral("--json"), QStringLiteral("--machine"), QStringLiteral("1")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    const QJsonObject listed = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(listed.value(QStringLiteral("machine")).toString(), QStringLiteral("dispenser 1")) << qPrintable(r.out);
    EXPECT_TRUE(listed.value(QStringLiteral("errors")).isArray() && listed.value(QStringLiteral("errors")).toArray().isEmpty())
        << qPrintable(r.out);
    EXPECT_EQ(driver.model().sessionCount(), 0);

    // A machine the driver does not have: its refusal, status 1.
    r = run({QStringLiteral("errors"), at, QStringLiteral("--machine"), QStringLiteral("7:scale")});
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
}

TEST_F(CliTest, ConfigurationReadAndSavedInBothForms)
{
    SimDriver driver(quickScenario());
    ASSERT_TRUE(driver.start());
    useTls(false);
    const QString at = QStringLiteral("127.0.0.1:%1").arg(driver.port());

    CliRun r = run({QStringLiteral("config"), QStringLiteral("get"), at});
    ASSERT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    QJsonObject configuration = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QJsonArray machines = configuration.value(QStringLiteral("machines")).toArray();
    ASSERT_EQ(machines.size(), 2) << qPrintable(r.out);

    // Renamed and saved from a file; read back in the driver's form.
    const QString renamed = QStringLiteral("Renamed by axocomm");
    const QString before = QString::fromUtf8(QJsonDocument(machines.at(0).toObject()).toJson(QJsonDocument::Compact));
    ASSERT_TRUE(before.contains(QStringLiteral("\"Dispenser 1\""))) << qPrintable(before);
    const QString after = QString(before).replace(QStringLiteral("\"Dispenser 1\""), QLatin1Char('"') + renamed + QLatin1Char('"'));
    machines.replace(0, QJsonDocument::fromJson(after.toUtf8()).object());
    configuration.insert(QStringLiteral("machines"), machines);
    const QString path = root.filePath(QStringLiteral("configuration.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(configuration).toJson());
    file.close();
    r = run({QStringLiteral("config"), QStringLiteral("save"), at, path});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("configuration of 2 machine(s) saved"))) << qPrintable(r.out);

    const QString xmlPath = root.filePath(QStringLiteral("configuration.xml"));
    r = run({QStringLiteral("config"), QStringLiteral("get"), at, xmlPath, QStringLiteral("--driver-form")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    QFile xml(xmlPath);
    ASSERT_TRUE(xml.open(QIODevice::ReadOnly));
    const QString driverForm = QString::fromUtf8(xml.readAll());
    EXPECT_TRUE(driverForm.startsWith(QStringLiteral("<value>"))) << qPrintable(driverForm.left(200));
    EXPECT_TRUE(driverForm.contains(renamed)) << qPrintable(driverForm.left(2000));
    // The driver's form saves as well.
    r = run({QStringLiteral("config"), QStringLiteral("save"), at, xmlPath});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);

    // Files that hold no configuration fail before anything is sent.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{\"machines\": 5}");
    file.close();
    r = run({QStringLiteral("config"), QStringLiteral("save"), at, path});
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.err.contains(QStringLiteral("not a machine configuration"))) << qPrintable(r.err);
    r = run({QStringLiteral("config"), QStringLiteral("save"), at, root.filePath(QStringLiteral("missing.json"))});
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
    EXPECT_EQ(driver.model().sessionCount(), 0);
}

TEST_F(CliTest, StatisticsQueryEndToEnd)
{
    SimDriver driver(quickScenario());
    ASSERT_TRUE(driver.start());
    useTls(false);
    const QString at = QStringLiteral("127.0.0.1:%1").arg(driver.port());

    CliRun r = run({QStringLiteral("stats"), at,
                    QStringLiteral("SELECT position, colorant, amount FROM usage WHERE colorant = 'YE2'")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_EQ(r.out, QStringLiteral("position\tcolorant\tamount\n3\tYE2\t30\n"));

    r = run({QStringLiteral("stats"), at, QStringLiteral("SELECT position, dispensings FROM usage WHERE position = 4"),
             QStringLiteral("--json")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_EQ(r.out, QStringLiteral("{\"dispensings\":\"4\",\"position\":\"4\"}\n"));

    r = run({QStringLiteral("stats"), at, QStringLiteral("SELECT nothing FROM nowhere")});
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.isEmpty()) << qPrintable(r.out);
    EXPECT_EQ(driver.model().sessionCount(), 0);
}

TEST_F(CliTest, ExecParametersAsJsonListsAndTheirRefusal)
{
    SimDriver driver(quickScenario());
    ASSERT_TRUE(driver.start());
    useTls(false);
    const QString at = QStringLiteral("127.0.0.1:%1").arg(driver.port());
    const QStringList circuits = {QStringLiteral("exec"), at, QStringLiteral("GET_CIRCUITS_STATUS"),
                                  QStringLiteral("--dispenser"), QStringLiteral("1"), QStringLiteral("--param")};

    // A JSON list of whole numbers: the typed command with exactly those positions.
    CliRun r = run(circuits + QStringList{QStringLiteral("[5, 2]")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_EQ(r.out.count(QStringLiteral("position: ")), 2) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("position: 2")) && r.out.contains(QStringLiteral("position: 5")))
        << qPrintable(r.out);

    // Texts where numbers belong: not built, nothing sent, status 1.
    r = run(circuits + QStringList{QStringLiteral("[\"two\"]")});
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("command not built"))) << qPrintable(r.out);
    EXPECT_EQ(driver.model().sessionCount(), 0);
}

TEST_F(CliTest, InterruptedStartStopsItsFormulaAndLogsOut)
{
    SimScenario scenario = quickScenario();
    scenario.setChannelMs(20000);
    DriverSettings hardware = scenario.driverSettings();
    hardware.setSimulationMode(false);
    scenario.setDriverSettings(hardware);
    SimDriver driver(scenario);
    ASSERT_TRUE(driver.start());
    useTls(false);
    const std::unique_ptr<QProcess> process = launch({QStringLiteral("start"),
                                                      QStringLiteral("127.0.0.1:%1").arg(driver.port()),
                                                      QStringLiteral("--dispense"), QStringLiteral("2:3")});
    ASSERT_TRUE(waitForOutput(*process, QStringLiteral("circuits: 2 dosing")));
    interrupt(*process, SIGINT);
    const CliRun r = finish(*process);
    EXPECT_EQ(r.status, 1) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("interrupted: STOP sent to dispenser 1"))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("communication stopped"))) << qPrintable(r.out);
    EXPECT_FALSE(driver.model().isBusy(MachineID(1, MachineID::Dispenser)));
    EXPECT_EQ(driver.model().sessionCount(), 0);
}

TEST_F(CliTest, ManagerSubcommandsOverTls)
{
    SimDriver driver(quickScenario(), DriverSimulator::Tls);
    ASSERT_TRUE(driver.start());
    useTls(true);
    const QString at = QStringLiteral("127.0.0.1:%1").arg(driver.port());

    CliRun r = run({QStringLiteral("errors"), at, QStringLiteral("--machine"), QStringLiteral("2:mixer")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("mixer 2: no errors"))) << qPrintable(r.out);

    // The factory configuration names the machines after their model.
    r = run({QStringLiteral("config"), QStringLiteral("get"), at, QStringLiteral("--factory")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.out + r.err);
    const QJsonArray machines =
        QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("machines")).toArray();
    EXPECT_EQ(machines.size(), 2) << qPrintable(r.out.left(500));
    EXPECT_TRUE(r.out.contains(QStringLiteral("\"name\": \"DX-16\""))) << qPrintable(r.out.left(500));
    EXPECT_FALSE(r.out.contains(QStringLiteral("\"Dispenser 1\""))) << qPrintable(r.out.left(500));
    EXPECT_EQ(driver.model().sessionCount(), 0);
    EXPECT_TRUE(QDir(temp.path()).isEmpty()) << "the certificate files written for TLS were removed";
}
