// axocomm as a user runs it: verdicts and exit statuses.

#include "DriverSimulator.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "DriverSettings.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

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
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("AXOCOMM_SETTINGS_ROOT"), root.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(AXOCOMM_CLI), args);
        EXPECT_TRUE(process.waitForFinished(30000));
        return CliRun{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                   QString::fromLocal8Bit(process.readAllStandardOutput()),
                   QString::fromLocal8Bit(process.readAllStandardError())};
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
