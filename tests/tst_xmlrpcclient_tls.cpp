// The XML-RPC client over TLS against the simulated driver: Basic
// authentication, a dropped connection replaced with a new handshake, the
// check of the driver's certificate, and time limits during the handshake.

#include "DriverSimulator.h"
#include "ErrorCapture.h"
#include "NEXmlRpcClient.h"
#include "RawServer.h"
#include "XmlRpcClient.h"
#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using XmlRpc::XmlRpcClient;
using XmlRpc::XmlRpcValue;

class TlsClientTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(sim.start()) << sim.errorString(); }

    XmlRpcClient *client(const char *login, const char *password, const std::string &cert)
    {
        m_client.reset(new XmlRpcClient("127.0.0.1", sim.port(), login, password, cert.c_str(), true));
        return m_client.get();
    }

    DriverSimulator sim{DriverSimulator::Tls};
    ErrorCapture errors;
    std::unique_ptr<XmlRpcClient> m_client;
};

TEST_F(TlsClientTest, BasicAuthenticationEndToEnd)
{
    const std::string login = DriverSimulator::defaultLogin();
    const std::string password = DriverSimulator::defaultPassword();
    XmlRpcClient *good = client(login.c_str(), password.c_str(), DriverSimulator::defaultCaFile());
    XmlRpcValue result;
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(good->execute("PING", XmlRpcValue(), result, 5.0)) << errors.all();
    EXPECT_EQ(sim.connectionsAccepted(), 1u);
    EXPECT_NE(sim.lastRequest().find("\r\nAuthorization: Basic "), std::string::npos);

    // Wrong credentials: the driver refuses before any methodResponse.
    XmlRpcClient *bad = client(login.c_str(), "wrong", DriverSimulator::defaultCaFile());
    EXPECT_FALSE(bad->execute("PING", XmlRpcValue(), result, 5.0));
}

TEST_F(TlsClientTest, DroppedConnectionIsReopenedWithNewHandshake)
{
    sim.setCloseAfterResponse(true);
    const std::string login = DriverSimulator::defaultLogin();
    const std::string password = DriverSimulator::defaultPassword();
    XmlRpcClient *c = client(login.c_str(), password.c_str(), DriverSimulator::defaultCaFile());
    XmlRpcValue result;
    ASSERT_TRUE(c->execute("PING", XmlRpcValue(), result, 5.0)) << errors.all();
    ASSERT_TRUE(sim.waitForOpenConnections(0, 2000));
    ASSERT_TRUE(c->execute("PING", XmlRpcValue(), result, 5.0)) << errors.all();
    EXPECT_EQ(sim.connectionsAccepted(), 2u);
}

TEST_F(TlsClientTest, MissingCertificateFileFailsSetUp)
{
    XmlRpcClient *c = client("a", "b", "/nonexistent/cert.pem");
    XmlRpcValue result;
    EXPECT_FALSE(c->execute("PING", XmlRpcValue(), result, 5.0));
    EXPECT_TRUE(errors.contains("XmlRpcSocket::enableSSL: unable to load or verify certificate"));
    EXPECT_TRUE(errors.contains("XmlRpcClient::doConnect: unable to enable SSL"));
    EXPECT_EQ(sim.connectionsAccepted(), 0u);
}

TEST_F(TlsClientTest, PlainClientAgainstTlsDriverFails)
{
    XmlRpcClient plain("127.0.0.1", sim.port());
    XmlRpcValue result;
    EXPECT_FALSE(plain.execute("PING", XmlRpcValue(), result, 2.0));
}

// The driver's certificate checked against a CA file and a name. The client
// is handed the right authority as its certificate path as well: only the CA
// file may count once it is set.
class TlsPeerVerificationTest : public TlsClientTest
{
protected:
    XmlRpcClient *verifying(const char *host, const std::string &caFile, const std::string &peerName = std::string())
    {
        const std::string login = DriverSimulator::defaultLogin();
        const std::string password = DriverSimulator::defaultPassword();
        const std::string ca = DriverSimulator::defaultCaFile();
        m_client.reset(new XmlRpcClient(host, sim.port(), login.c_str(), password.c_str(), ca.c_str(), true));
        m_client->setPeerVerification(caFile, peerName);
        return m_client.get();
    }
    static bool ping(XmlRpcClient *c)
    {
        XmlRpcValue result;
        return c->execute("PING", XmlRpcValue(), result, 5.0);
    }
    // The refusal as reported, up to the CA file and name it names.
    std::string refusal(const char *reason) const
    {
        return "the certificate of 127.0.0.1:" + std::to_string(sim.port()) + " is refused: " + reason;
    }
    // Refused during the handshake: the request never went out, the call
    // failed setting up, and nothing of the connection is left.
    void expectRefused(XmlRpcClient *c, const char *reason)
    {
        EXPECT_FALSE(ping(c));
        EXPECT_EQ(c->lastFailure(), XmlRpcClient::ConnectionSetup);
        EXPECT_EQ(c->connectionState(), XmlRpcClient::NO_CONNECTION);
        EXPECT_TRUE(errors.contains(refusal(reason))) << errors.all();
        EXPECT_TRUE(sim.lastRequest().empty());
    }

    const std::string foreignCa = AXOSIM_CERT_DIR "/foreign-ca.pem";
};

TEST_F(TlsPeerVerificationTest, RightAuthorityAndNameConnect)
{
    const std::string ca = DriverSimulator::defaultCaFile();
    // The certificate names IP 127.0.0.1 and DNS localhost: the address
    // connected to, a host name, and a name given instead of the host.
    const std::pair<const char *, const char *> hostAndName[] = {
        {"127.0.0.1", ""}, {"localhost", ""}, {"127.0.0.1", "localhost"}};
    for (const auto &target : hostAndName) {
        XmlRpcClient *c = verifying(target.first, ca, target.second);
        EXPECT_TRUE(c->verifiesPeer());
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(ping(c)) << target.first << " " << target.second << "\n" << errors.all();
    }
    EXPECT_EQ(sim.connectionsAccepted(), 3u);
    EXPECT_EQ(errors.all(), "");
}

TEST_F(TlsPeerVerificationTest, ForeignAuthorityIsRefusedOnEveryConnection)
{
    XmlRpcClient *c = verifying("127.0.0.1", foreignCa);
    expectRefused(c, "unable to get local issuer certificate");
    EXPECT_TRUE(errors.contains("(CA file " + foreignCa + ", name \"127.0.0.1\")")) << errors.all();
    // The next call tries anew and is refused again.
    expectRefused(c, "unable to get local issuer certificate");
    EXPECT_EQ(sim.connectionsAccepted(), 2u);
    EXPECT_EQ(errors.count(refusal("")), 2);
}

TEST_F(TlsPeerVerificationTest, NameTheCertificateLacksIsRefused)
{
    const std::string ca = DriverSimulator::defaultCaFile();
    expectRefused(verifying("127.0.0.1", ca, "driver.example"), "hostname mismatch");
    expectRefused(verifying("127.0.0.1", ca, "127.0.0.2"), "IP address mismatch");
}

TEST_F(TlsPeerVerificationTest, UnreadableAuthorityFailsBeforeConnecting)
{
    const std::string keyOnly = AXOSIM_CERT_DIR "/server.key";
    for (const std::string &file : {std::string("/nonexistent/ca.pem"), keyOnly}) {
        XmlRpcClient *c = verifying("127.0.0.1", file);
        EXPECT_FALSE(ping(c));
        EXPECT_EQ(c->lastFailure(), XmlRpcClient::ConnectionSetup);
        EXPECT_TRUE(errors.contains("cannot read the CA file " + file + " to verify the certificate of 127.0.0.1:"))
            << errors.all();
    }
    EXPECT_EQ(sim.connectionsAccepted(), 0u);
}

TEST_F(TlsPeerVerificationTest, UnverifiedConnectionWarnsOncePerConnection)
{
    const std::string warning = "Warning in XmlRpcClient::doConnect: the certificate of 127.0.0.1:"
        + std::to_string(sim.port()) + " is not verified (no CA file set).";
    XmlRpcClient *c = verifying("127.0.0.1", std::string());
    EXPECT_FALSE(c->verifiesPeer());
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(ping(c)) << errors.all();
    EXPECT_EQ(sim.connectionsAccepted(), 1u);
    EXPECT_EQ(errors.count(warning), 1) << errors.all();

    // The driver drops each connection after its answer: a warning for each
    // new one.
    sim.setCloseAfterResponse(true);
    ASSERT_TRUE(ping(c)) << errors.all();
    ASSERT_TRUE(sim.waitForOpenConnections(0, 2000));
    ASSERT_TRUE(ping(c)) << errors.all();
    EXPECT_EQ(sim.connectionsAccepted(), 2u);
    EXPECT_EQ(errors.count(warning), 2) << errors.all();

    // Switched on, then off again by an empty CA file.
    sim.setCloseAfterResponse(false);
    c->setPeerVerification(DriverSimulator::defaultCaFile(), std::string());
    ASSERT_TRUE(sim.waitForOpenConnections(0, 2000));
    ASSERT_TRUE(ping(c)) << errors.all();
    EXPECT_EQ(sim.connectionsAccepted(), 3u);
    EXPECT_EQ(errors.count("is not verified"), 2) << errors.all();
}

TEST(XmlRpcTimeLimit, TlsCallToPeersThatNeverHandshake)
{
    ErrorCapture errors;
    RawServer silent;
    DriverSimulator plain(DriverSimulator::Plain);
    ASSERT_TRUE(plain.start()) << plain.errorString();
    const std::string ca = DriverSimulator::defaultCaFile();

    // One accepts and never answers; the other speaks plain HTTP and waits
    // for the end of a request head that a TLS greeting does not have.
    for (const int port : {silent.port(), static_cast<int>(plain.port())}) {
        XmlRpcClient client("127.0.0.1", port, "user", "secret", ca.c_str(), true);
        XmlRpcValue result;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(client.execute("PING", XmlRpcValue(), result, 1.0)) << port;
        EXPECT_LT(secondsSince(start), 1.5) << port;
        EXPECT_EQ(client.lastFailure(), XmlRpcClient::ConnectionSetup) << port;
        EXPECT_EQ(client.connectionState(), XmlRpcClient::NO_CONNECTION) << port;
    }
    EXPECT_EQ(silent.accepted(), 1);
    EXPECT_TRUE(errors.contains("SSL_connect failed: time limit reached")) << errors.all();
}

TEST(XmlRpcTimeLimit, CloseFromAnotherThreadEndsHandshakeWithoutLimit)
{
    ErrorCapture errors;
    RawServer silent;
    const std::string ca = DriverSimulator::defaultCaFile();
    NEXmlRpcClient client("127.0.0.1", silent.port(), "user", "secret", ca.c_str(), true);
    auto call = std::async(std::launch::async, [&client] {
        XmlRpcValue result;
        const bool ok = client.execute("PING", XmlRpcValue(), result, -1.0);
        return std::make_pair(ok, client.lastFailure());
    });
    for (int i = 0; i < 500 && silent.accepted() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(silent.accepted(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // well inside the handshake

    const auto closing = std::chrono::steady_clock::now();
    client.close();
    ASSERT_EQ(call.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    const auto outcome = call.get();
    EXPECT_LT(secondsSince(closing), 1.0);
    EXPECT_FALSE(outcome.first);
    EXPECT_EQ(outcome.second, XmlRpcClient::ConnectionSetup);
    EXPECT_EQ(client.connectionState(), XmlRpcClient::NO_CONNECTION);
    EXPECT_TRUE(errors.contains("SSL_connect failed")) << errors.all();
}
