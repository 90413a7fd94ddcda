// axodriver-sim: runs the simulated tinting driver until SIGINT or SIGTERM.

#include "SessionKeys.h"
#include "SimConsole.h"
#include "SimDriver.h"
#include "SimDriverModel.h"
#include "SimScenario.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <string>
#include <unistd.h>

namespace {

void usage(std::ostream &out)
{
    out << "usage: axodriver-sim [--port N] [--tls] [--bind ADDR] [--cert FILE --key FILE] [--scenario FILE]\n"
           "                     [--secret-file FILE] [--max-access N] [--allow-remote-plain] [--control]\n"
           "                     [--verbose] [--check]\n"
           "  --port N      port to listen on, 0 picks a free one (default 9333)\n"
           "  --tls         serve TLS and require HTTP Basic authentication\n"
           "  --bind ADDR   address to listen on (default 127.0.0.1)\n"
           "  --cert FILE   server certificate for --tls (default " << DriverSimulator::defaultCertFile() << ")\n"
           "  --key FILE    server key for --tls (default " << DriverSimulator::defaultKeyFile() << ")\n"
           "  --scenario FILE  machines and timings to start from (JSON; default: one dispenser\n"
           "                   and one mixer, as in sim/scenarios/default.json)\n"
           "  --verbose     log connections and calls on stderr\n"
           "  --secret-file FILE  the protocol secret: 64 hex digits (default: the built-in one)\n"
           "  --max-access N  highest access level a login is granted: 1 operator, 2 service,\n"
           "                3 factory (default 3)\n"
           "  --allow-remote-plain  serve plain HTTP to clients on other hosts too (default:\n"
           "                loopback clients only)\n"
           "  --control     read control lines on standard input that change the machines while\n"
           "                it runs (error, clear, inactive, active, disconnect, connect, door, level,\n"
           "                fw, sensor; \"help\" lists them) and answer each on standard output\n"
           "  --check       start serving, print the listening line and stop at once\n";
}

int badUsage(const std::string &message)
{
    std::cerr << "axodriver-sim: " << message << "\n";
    usage(std::cerr);
    return 2;
}

bool parsePort(const char *text, uint16_t *port)
{
    if (!*text)
        return false;
    unsigned long value = 0;
    for (const char *p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        value = value * 10 + static_cast<unsigned long>(*p - '0');
        if (value > 65535)
            return false;
    }
    *port = static_cast<uint16_t>(value);
    return true;
}

// The certificates of a --tls run without --cert/--key: those of the source
// tree when it is there, else those installed beside the program
// (<prefix>/share/axodriver-sim/certs). Empty when neither exists.
bool findDefaultCertificates(const char *argv0, std::string *cert, std::string *key)
{
    if (QFileInfo::exists(QString::fromStdString(DriverSimulator::defaultCertFile()))
        && QFileInfo::exists(QString::fromStdString(DriverSimulator::defaultKeyFile()))) {
        *cert = DriverSimulator::defaultCertFile();
        *key = DriverSimulator::defaultKeyFile();
        return true;
    }
    QString program = QString::fromLocal8Bit(argv0);
    if (!program.contains(QLatin1Char('/')))
        program = QStringLiteral("/proc/self/exe");
    const QDir bin = QFileInfo(QFileInfo(program).canonicalFilePath()).dir();
    const QString installed = bin.absoluteFilePath(QStringLiteral("../share/axodriver-sim/certs"));
    const QString certFile = installed + QStringLiteral("/server.pem");
    const QString keyFile = installed + QStringLiteral("/server.key");
    if (!QFileInfo::exists(certFile) || !QFileInfo::exists(keyFile))
        return false;
    *cert = QDir::cleanPath(certFile).toStdString();
    *key = QDir::cleanPath(keyFile).toStdString();
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    uint16_t port = 9333;
    bool tls = false;
    bool verbose = false;
    bool check = false;
    bool control = false;
    std::string secretFile;
    int maxAccess = 3;
    bool allowRemotePlain = false;
    std::string bind = "127.0.0.1";
    std::string cert;
    std::string key;
    std::string scenarioFile;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            usage(std::cout);
            return 0;
        } else if (arg == "--tls") {
            tls = true;
        } else if (arg == "--secret-file") {
            if (i + 1 >= argc)
                return badUsage("--secret-file needs a file");
            secretFile = argv[++i];
        } else if (arg == "--max-access") {
            const std::string value = hasValue ? argv[i + 1] : std::string();
            if (value != "1" && value != "2" && value != "3")
                return badUsage("--max-access needs 1, 2 or 3");
            maxAccess = std::stoi(argv[++i]);
        } else if (arg == "--allow-remote-plain") {
            allowRemotePlain = true;
        } else if (arg == "--control") {
            control = true;
        } else if (arg == "--check") {
            check = true;
        } else if (arg == "--verbose" || arg == "-v") {
            verbose = true;
        } else if (arg == "--port") {
            if (!hasValue || !parsePort(argv[++i], &port))
                return badUsage("--port needs a number from 0 to 65535");
        } else if (arg == "--bind") {
            if (!hasValue || !*argv[i + 1])
                return badUsage("--bind needs an address");
            bind = argv[++i];
        } else if (arg == "--scenario") {
            if (!hasValue || !*argv[i + 1])
                return badUsage("--scenario needs a file");
            scenarioFile = argv[++i];
        } else if (arg == "--cert") {
            if (!hasValue)
                return badUsage("--cert needs a file");
            cert = argv[++i];
        } else if (arg == "--key") {
            if (!hasValue)
                return badUsage("--key needs a file");
            key = argv[++i];
        } else {
            return badUsage("unknown argument " + arg);
        }
    }
    if ((!cert.empty() || !key.empty()) && !tls)
        return badUsage("--cert and --key need --tls");
    if (cert.empty() != key.empty())
        return badUsage("--cert and --key go together");
    if (tls && cert.empty() && !findDefaultCertificates(argv[0], &cert, &key)) {
        std::cerr << "axodriver-sim: no server certificate found (looked in " << DriverSimulator::defaultCertFile()
                  << " and <prefix>/share/axodriver-sim/certs); give one with --cert FILE --key FILE\n";
        return 1;
    }

    // Every thread started from here on inherits the blocked signals; the
    // main thread takes them with sigwait. A shell starting the program in
    // the background may have set SIGINT to be ignored, which would discard
    // it before sigwait could see it.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    SimScenario scenario = SimScenario::defaultScenario();
    if (!scenarioFile.empty()) {
        QString error;
        scenario = SimScenario::fromFile(QString::fromLocal8Bit(scenarioFile.c_str()), &error);
        if (!error.isEmpty()) {
            std::cerr << "axodriver-sim: " << error.toLocal8Bit().constData() << "\n";
            return 1;
        }
    }

    SimDriver driver(scenario, tls ? DriverSimulator::Tls : DriverSimulator::Plain);
    if (!secretFile.empty()) {
        QFile file(QString::fromLocal8Bit(secretFile.c_str()));
        const QByteArray secret =
            file.open(QIODevice::ReadOnly) ? SessionKeys::secretFromText(file.read(4096)) : QByteArray();
        if (secret.isEmpty()) {
            std::cerr << "axodriver-sim: " << secretFile << ": not a protocol secret (64 hex digits)\n";
            return 1;
        }
        driver.model().setSecret(secret);
    }
    driver.model().sessions().setMaxAccess(maxAccess);
    DriverSimulator &simulator = driver.simulator();
    simulator.setAllowRemotePlain(allowRemotePlain);
    simulator.setBindAddress(bind);
    simulator.setPort(port);
    simulator.setVerbose(verbose);
    if (!cert.empty())
        simulator.setCertificateFiles(cert, key);
    if (!driver.start()) {
        std::cerr << "axodriver-sim: " << simulator.errorString() << "\n";
        return 1;
    }

    const std::string host = bind.find(':') != std::string::npos ? "[" + bind + "]" : bind;
    std::printf("axodriver-sim listening on %s:%u (%s)\n", host.c_str(),
                static_cast<unsigned>(simulator.port()), tls ? "tls" : "plain");
    std::fflush(stdout);
    if (check) {
        driver.stop();
        return 0;
    }

    SimConsole console(driver.model(), STDIN_FILENO, stdout);
    if (control && !console.start()) {
        std::cerr << "axodriver-sim: cannot read control lines\n";
        driver.stop();
        return 1;
    }
    int received = 0;
    while (sigwait(&stopSignals, &received) != 0) {
    }
    console.stop();
    driver.stop();
    return 0;
}
