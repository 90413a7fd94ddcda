// The driver endpoint: connection text, driver parameters and their list,
// the client settings file, the embedded certificate, the credentials, the
// static ping against the simulated driver, plain and over TLS, and a driver
// thread's check of the driver's certificate.

#include "AXOClientSettings.h"
#include "QuietErrors.h"
#include "AXOCommData.h"
#include "AXOCommManager.h"
#include "AXODriverConnection.h"
#include "DriverSimulator.h"
#include "ErrorCapture.h"
#include "NECmdManager.h"
#include "NECommand.h"
#include "NEDriverParams.h"
#include "NEDriverParamsList.h"
#include "SimDriver.h"
#include "SimScenario.h"
#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <dlfcn.h>

namespace {

// Points the library at a settings root of its own for the test's lifetime.
class SettingsRoot
{
public:
    SettingsRoot() { qputenv(AXOClientSettings::RootEnvironmentVariable, m_dir.path().toUtf8()); }
    ~SettingsRoot() { qunsetenv(AXOClientSettings::RootEnvironmentVariable); }

    void write(const QByteArray &ini)
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("wuser/CommonSettings"));
        QFile file(m_dir.path() + QStringLiteral("/wuser/CommonSettings/commonSettings"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(ini);
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST(DriverConnection, DecodeConnString)
{
    QString host;
    int port = -1;
    EXPECT_TRUE(AXODriverConnection::decodeConnString(QStringLiteral("192.168.1.20:9333"), &host, &port));
    EXPECT_EQ(host, QStringLiteral("192.168.1.20"));
    EXPECT_EQ(port, 9333);

    host.clear();
    EXPECT_FALSE(AXODriverConnection::decodeConnString(QStringLiteral("driverhost:9333"), &host, &port));
    EXPECT_TRUE(host.isEmpty());
    EXPECT_FALSE(AXODriverConnection::decodeConnString(QStringLiteral("192.168.1.20"), &host, &port));
    port = 77;
    EXPECT_FALSE(AXODriverConnection::decodeConnString(QStringLiteral("192.168.1.20:93a3"), &host, &port));
    EXPECT_EQ(port, 0);
    EXPECT_FALSE(AXODriverConnection::decodeConnString(QString(), &host, &port));
    EXPECT_FALSE(AXODriverConnection::decodeConnString(QStringLiteral("1.2.3.4:5:6"), &host, &port));
    EXPECT_FALSE(AXODriverConnection::decodeConnString(QStringLiteral("1.2.3.4:5"), nullptr, &port));
}

TEST(DriverConnection, DefaultsAndEquality)
{
    const AXODriverConnection defaults;
    EXPECT_EQ(defaults.ipAddress(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(defaults.port(), 9333);
    EXPECT_TRUE(defaults.certPath().isEmpty());

    // The certificate path does not take part in equality.
    const AXODriverConnection a(QStringLiteral("10.1.1.1"), 9333, QStringLiteral("/a.pem"));
    const AXODriverConnection b(QStringLiteral("10.1.1.1"), 9333, QStringLiteral("/b.pem"));
    EXPECT_EQ(a, b);
    EXPECT_NE(a, AXODriverConnection(QStringLiteral("10.1.1.1"), 9334));
    EXPECT_NE(a, AXODriverConnection(QStringLiteral("10.1.1.2"), 9333));
}

TEST(DriverParams, ConnectionOwnershipAndEquality)
{
    NEDriverParams params(3, AXODriverConnection(QStringLiteral("10.0.0.9"), 9400, QStringLiteral("/c.pem")));
    EXPECT_TRUE(params.isAXOdriverType());
    EXPECT_EQ(params.ipAddress(), QStringLiteral("10.0.0.9"));
    EXPECT_EQ(params.certPath(), "/c.pem");

    NEDriverParams copy = params; // deep: changing the copy leaves the original
    copy.setPort(9401);
    copy.setIpAddress(QStringLiteral("10.0.0.10"));
    EXPECT_EQ(params.port(), 9400);
    EXPECT_EQ(copy.ipAddress(), QStringLiteral("10.0.0.10"));
    EXPECT_NE(params, copy);

    // Thread counts are not compared.
    NEDriverParams counted = params;
    counted.updateThreadStatus(NEDriverParams::DriverStatusThread, true);
    EXPECT_EQ(counted, params);

    const NEDriverParams slave(4, SlaveDriver);
    EXPECT_TRUE(slave.isSlaveDriverType());
    EXPECT_FALSE(slave.hasAxoDriverConnection());
    EXPECT_EQ(slave.port(), 0);
    EXPECT_TRUE(slave.ipAddress().isEmpty());
    EXPECT_TRUE(slave.certPath().empty());
    NEDriverParams slaveCopy = slave;
    slaveCopy.setPort(1); // ignored without a connection
    EXPECT_EQ(slaveCopy, slave);
    EXPECT_NE(slave, NEDriverParams(4, AXODriverConnection()));
}

TEST(DriverParams, ThreadCountersAndTypes)
{
    NEDriverParams params;
    bool found = true;
    EXPECT_FALSE(params.updateThreadStatus(5, false));
    EXPECT_EQ(params.getThreadStatus(5, &found), 0);
    EXPECT_TRUE(found);
    EXPECT_TRUE(params.updateThreadStatus(5, true));
    EXPECT_TRUE(params.updateThreadStatus(5, true));
    EXPECT_EQ(params.getThreadStatus(5, &found), 2);
    EXPECT_TRUE(params.updateThreadStatus(5, false));
    EXPECT_EQ(params.getThreadStatus(5), 1);
    EXPECT_FALSE(params.updateThreadStatus(14, true));
    EXPECT_EQ(params.getThreadStatus(14, &found), 0);
    EXPECT_FALSE(found);
    params.resetThreadsStatusList();
    EXPECT_EQ(params.threadsStatusList().size(), 14);
    EXPECT_EQ(params.getThreadStatus(5), 0);

    EXPECT_TRUE(NEDriverParams::isValidDriverThreadType(NEDriverParams::CustomPollingThread));
    EXPECT_FALSE(NEDriverParams::isValidDriverThreadType(static_cast<NEDriverParams::DriverThreadTypes>(14)));
    EXPECT_FALSE(NEDriverParams::isValidDriverThreadType(static_cast<NEDriverParams::DriverThreadTypes>(-1)));
    EXPECT_EQ(NEDriverParams::threadTypeDescription(NEDriverParams::StandardCommandsThread),
              QStringLiteral("Standard commands thread"));
    EXPECT_EQ(NEDriverParams::threadTypeDescription(NEDriverParams::MixerStatusThread),
              QStringLiteral("Mixer status thread"));
    EXPECT_TRUE(NEDriverParams::threadTypeDescription(NEDriverParams::CustomPollingThread).isEmpty());
}

TEST(DriverParamsList, TextFormBothWays)
{
    const NEDriverParamsList list(QStringLiteral("192.168.0.5:9333|bad|127.0.0.1:9334"));
    ASSERT_EQ(list.numOfDrivers(), 2);
    EXPECT_EQ(list.at(0).driverID(), 1);
    EXPECT_EQ(list.at(1).driverID(), 2);
    EXPECT_EQ(list.at(1).port(), 9334);
    EXPECT_EQ(list.toParamString(), QStringLiteral("192.168.0.5:9333|127.0.0.1:9334"));

    NEDriverParamsList withSlave = list;
    withSlave.appendNEDriverParams(NEDriverParams(3, SlaveDriver));
    EXPECT_EQ(withSlave.toParamString(), QStringLiteral("192.168.0.5:9333|127.0.0.1:9334|:0"));

    const NEDriverParamsList empty{QString()};
    EXPECT_FALSE(empty.hasDrivers());
    EXPECT_TRUE(empty.toParamString().isEmpty());
}

TEST(DriverParamsList, LookupReplaceRemove)
{
    NEDriverParamsList list(QStringLiteral("10.0.0.1:1|10.0.0.2:2"));
    bool found = true;
    const NEDriverParams missing = list.getDriverParamsForDriver(7, &found);
    EXPECT_FALSE(found);
    EXPECT_EQ(missing.driverID(), 1);
    EXPECT_FALSE(missing.hasAxoDriverConnection());

    EXPECT_TRUE(list.hasAXODriverConnection(AXODriverConnection(QStringLiteral("10.0.0.2"), 2)));
    EXPECT_FALSE(list.hasAXODriverConnection(AXODriverConnection(QStringLiteral("10.0.0.2"), 3)));

    NEDriverParams moved = list.getDriverParamsForDriver(2, &found);
    ASSERT_TRUE(found);
    moved.setPort(20);
    EXPECT_TRUE(list.setDriverParamsForDriver(2, moved));
    EXPECT_FALSE(list.setDriverParamsForDriver(9, moved));
    EXPECT_EQ(list.getDriverParamsForDriver(2).port(), 20);

    EXPECT_TRUE(list.removeNEDriverParamsForDriver(1));
    EXPECT_FALSE(list.removeNEDriverParamsForDriver(1));
    EXPECT_EQ(list.toParamString(), QStringLiteral("10.0.0.2:20"));
}

TEST(ClientSettings, ReadFromTheRootGivenByTheEnvironment)
{
    SettingsRoot root;
    EXPECT_EQ(AXOClientSettings::filePath(),
              QDir::toNativeSeparators(root.path() + QStringLiteral("/wuser/CommonSettings/commonSettings")));
    // No file: absent keys.
    EXPECT_FALSE(AXOClientSettings::useOpenSsl());
    EXPECT_FALSE(AXOClientSettings::isLocalDriver());

    root.write("[General]\nAXOServiceUSEOPENSSL=true\nAXODriverIP=127.0.0.1\n");
    EXPECT_TRUE(AXOClientSettings::useOpenSsl());
    EXPECT_TRUE(AXOClientSettings::isLocalDriver());

    // Read anew at every use.
    root.write("[General]\nAXOServiceUSEOPENSSL=false\nAXODriverIP=192.168.1.2\n");
    EXPECT_FALSE(AXOClientSettings::useOpenSsl());
    EXPECT_EQ(AXOClientSettings::driverIP(), QStringLiteral("192.168.1.2"));
    EXPECT_FALSE(AXOClientSettings::isLocalDriver());

    // A file that has not changed for a while is read from the copy kept of
    // it, and an edit of the same size is still seen at the next read.
    root.write("[General]\nAXOAccessLevel=2\n");
    EXPECT_EQ(AXOClientSettings::accessLevel(), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(AXOClientSettings::accessLevel(), 2);
    EXPECT_EQ(AXOClientSettings::accessLevel(), 2);
    root.write("[General]\nAXOAccessLevel=3\n");
    EXPECT_EQ(AXOClientSettings::accessLevel(), 3);
}

TEST(EmbeddedCertificate, WrittenToANewFileEachTime)
{
    const QString first = AXOCommManager::instance()->getCertsFilePath();
    const QString second = AXOCommManager::instance()->getCertsFilePath();
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo(first).fileName().startsWith(QStringLiteral("AXOSer_certs")));
    EXPECT_TRUE(first.endsWith(QStringLiteral(".azsxdc")));

    QFile written(first);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray pem = written.readAll();
    QFile authority(QString::fromStdString(DriverSimulator::defaultCaFile()));
    ASSERT_TRUE(authority.open(QIODevice::ReadOnly));
    // The embedded certificate is the authority the simulated driver's certificate chains to.
    EXPECT_EQ(pem, authority.readAll());
    EXPECT_EQ(pem.count("-----BEGIN CERTIFICATE-----"), 1);
    EXPECT_FALSE(pem.contains("PRIVATE KEY"));
    // They stay for the connections while the manager lives, and go with it.
    EXPECT_TRUE(QFile::exists(second));
    AXOCommManager::drop();
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_FALSE(QFile::exists(second));
}

TEST(Credentials, ClearTextsAreNotInTheLibrary)
{
    Dl_info info;
    ASSERT_NE(dladdr(reinterpret_cast<void *>(&AXODriverConnection::decodeConnString), &info), 0);
    QFile library(QString::fromLocal8Bit(info.dli_fname));
    ASSERT_TRUE(library.open(QIODevice::ReadOnly)) << info.dli_fname;
    const QByteArray image = library.readAll();
    ASSERT_GT(image.size(), 10000);
    EXPECT_FALSE(image.contains(QByteArray::fromStdString(DriverSimulator::defaultLogin())));
    EXPECT_FALSE(image.contains(QByteArray::fromStdString(DriverSimulator::defaultPassword())));
}

TEST(StaticPing, PlainAndTlsAsTheSettingsSay)
{
    SettingsRoot root;
    QuietErrors quiet;

    DriverSimulator plain(DriverSimulator::Plain);
    ASSERT_TRUE(plain.start()) << plain.errorString();
    DriverSimulator tls(DriverSimulator::Tls);
    ASSERT_TRUE(tls.start()) << tls.errorString();

    const QString cert = AXOCommManager::instance()->getCertsFilePath();
    const AXODriverConnection plainDriver(QStringLiteral("127.0.0.1"), plain.port());
    const AXODriverConnection tlsDriver(QStringLiteral("127.0.0.1"), tls.port(), cert);

    // No settings file: plain, without credentials.
    EXPECT_TRUE(NECmdManager::ping(plainDriver, 5));
    EXPECT_EQ(plain.lastRequest().find("Authorization"), std::string::npos);
    EXPECT_FALSE(NECmdManager::ping(tlsDriver, 2));

    // TLS switched on: the library's own credentials and the embedded certificate.
    root.write("[General]\nAXOServiceUSEOPENSSL=true\n");
    EXPECT_TRUE(NECmdManager::ping(tlsDriver, 5));
    EXPECT_NE(tls.lastRequest().find("\r\nAuthorization: Basic "), std::string::npos);
    EXPECT_FALSE(NECmdManager::ping(plainDriver, 2));

    // Nobody listening.
    const AXODriverConnection gone(QStringLiteral("127.0.0.1"), tls.port());
    tls.stop();
    EXPECT_FALSE(NECmdManager::ping(gone, 2));

    QFile::remove(cert);
    AXOCommManager::drop();
}

// The settings ask a driver thread to check the TLS driver's certificate:
// a command through it is answered only when the certificate verifies
// against AXOTlsCaFile and names the address, or AXOTlsPeerName. Otherwise
// it ends failed with the record of an unreachable driver, and the
// transport tells why.
TEST(DriverThreadTls, CommandsNeedTheCertificateTheSettingsAskFor)
{
    SettingsRoot root;
    ErrorCapture errors;
    SimDriver tls(SimScenario::defaultScenario(), DriverSimulator::Tls);
    ASSERT_TRUE(tls.start()) << tls.simulator().errorString();
    const QByteArray ca = QByteArray::fromStdString(DriverSimulator::defaultCaFile());
    const QByteArray foreignCa = AXOSIM_CERT_DIR "/foreign-ca.pem";
    const MachineID generic(0, MachineID::Dispenser);
    AXOCommData *store = AXOCommData::instance();
    store->resetQueueThreadsAbort();

    struct Case
    {
        QByteArray settings;
        const char *refusal; // null: answered
    };
    const Case cases[] = {
        {"AXOTlsCaFile=" + ca, nullptr},
        {"AXOTlsCaFile=" + ca + "\nAXOTlsPeerName=localhost", nullptr},
        {"AXOTlsCaFile=" + foreignCa, "is refused: unable to get local issuer certificate"},
        {"AXOTlsCaFile=" + ca + "\nAXOTlsPeerName=driver.example", "is refused: hostname mismatch"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.settings.constData());
        root.write("[General]\nAXOServiceUSEOPENSSL=true\n" + c.settings + "\n");
        // A thread of its own: the settings are read when it connects.
        const int driverID = store->getNextDriverID();
        store->addDriverParams(NEDriverParams(driverID, AXODriverConnection(QStringLiteral("127.0.0.1"), tls.port())));
        ASSERT_TRUE(store->startDriverCommThread(driverID, generic, NEDriverParams::StandardCommandsThread));

        NECommand version(driverID, generic, QStringLiteral("GET_SW_VERSION"));
        ASSERT_TRUE(NECmdManager::executeCommand(&version, true, false));
        if (!c.refusal) {
            EXPECT_TRUE(version.isDoneSuccessfully()) << qPrintable(version.errors().toText()) << errors.all();
            continue;
        }
        EXPECT_TRUE(version.hasExecutionErrors());
        ASSERT_FALSE(version.errors().isEmpty());
        EXPECT_EQ(version.errors().at(0).errorCode(), QStringLiteral("TE00005"));
        EXPECT_EQ(version.errors().at(0).errorMsg(),
                  QStringLiteral("Connection to AXOdriver not available - 127.0.0.1:%1").arg(tls.port()));
        EXPECT_TRUE(errors.contains("the certificate of 127.0.0.1:" + std::to_string(tls.port()) + " " + c.refusal))
            << errors.all();
    }
    // Every connection was checked: none went unverified.
    EXPECT_FALSE(errors.contains("is not verified")) << errors.all();

    store->closeAllConnections(-1, true);
    AXOCommData::drop();
}
