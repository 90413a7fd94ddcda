#include "ExecCommand.h"

#include "AXOComm.h"
#include "CliSupport.h"
#include "CommandLine.h"
#include "SignalWatcher.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QFile>
#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>

#include <cstdio>

namespace {

const char kSynopsis[] = "exec HOST:PORT COMMAND [--dispenser N | --machine N[:TYPE]] [--access LEVEL]\n"
                         "                      [--param VALUE ...] [--formula POS:AMOUNT,...]\n"
                         "                      [--progress auto|bar|lines] [--cert FILE]";
const char kDescription[] =
    "Runs one command of the catalogue on the driver and follows it to its end.\n"
    "With --dispenser or --machine the machine is logged in and the command\n"
    "addressed to it; otherwise it goes to the driver. Each --param is one\n"
    "parameter of the command, in order, as JSON (5, 2.5, true, \"text\", [1,2],\n"
    "{\"a\":1}); anything else is taken as text. TINT, TINT2, PURGE and\n"
    "GET_FORMULA_EXECUTION take their formula from --formula. A command followed\n"
    "by ticket shows its progress as a bar on a terminal, as lines otherwise;\n"
    "Ctrl-C sends it STOP.\n"
    "Exit status: 0 the command succeeded, 1 it did not, 2 bad usage.";

} // namespace

ExecCommand::ExecCommand() = default;

ExecCommand::~ExecCommand()
{
    if (m_temporaryCert)
        QFile::remove(m_certPath);
}

QVariant ExecCommand::parameter(const QString &text)
{
    // Inside an array, so that a bare number or text parses as well.
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(QStringLiteral("[%1]").arg(text).toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || document.array().size() != 1)
        return text;
    return cli::variantFromJson(document.array().first());
}

int ExecCommand::run(const QStringList &args)
{
    const int usage = parse(args);
    if (usage != cli::Proceed)
        return usage;
    const bool tls = AXOClientSettings::useOpenSsl();
    if (tls && m_certPath.isEmpty()) {
        m_certPath = AXOCommManager::instance()->getCertsFilePath();
        m_temporaryCert = true;
    }
    qRegisterMetaType<NECommand>("NECommand");
    qRegisterMetaType<AXOCommData::CommandEvent>("AXOCommData::CommandEvent");

    AXOCommData *store = AXOCommData::instance();
    m_driverID = store->getNextDriverID();
    store->addDriverParams(NEDriverParams(m_driverID, AXODriverConnection(m_host, m_port, m_certPath)));
    cli::printLine(QStringLiteral("driver %1 registered at %2:%3 (%4)")
                       .arg(m_driverID)
                       .arg(m_host)
                       .arg(m_port)
                       .arg(QLatin1String(tls ? "TLS" : "plain")));
    store->startDriverCommThread(m_driverID, MachineID(0, MachineID::Dispenser), NEDriverParams::StandardCommandsThread);
    bool loggedIn = false;
    if (m_machine.machineNumber > 0) {
        startMachineThreads();
        loggedIn = NECmdManager::login(m_driverID, m_machine, QStringLiteral("axocomm"));
        cli::printLine(cli::machineText(m_machine) + QLatin1String(loggedIn ? " logged in" : " refused the login"));
        if (!loggedIn)
            cli::printErrors(store->getErrorList(m_driverID, m_machine), QStringLiteral("  "));
    }
    int status = cli::ExitFailed;
    if ((m_machine.machineNumber == 0 || loggedIn) && !SignalWatcher::pending())
        status = execute();

    if (loggedIn)
        NECmdManager::logout(m_driverID, m_machine);
    store->closeAllConnections(m_driverID, true);
    AXOCommData::drop();
    cli::printLine(QStringLiteral("driver %1 closed").arg(m_driverID));
    return status;
}

int ExecCommand::parse(const QStringList &args)
{
    CommandLine line{QLatin1String(kSynopsis), QLatin1String(kDescription)};
    line.addOption(QStringLiteral("dispenser"), QStringLiteral("N"), QStringLiteral("Addresses dispenser N."));
    line.addOption(QStringLiteral("machine"), QStringLiteral("N[:TYPE]"),
                   QStringLiteral("Addresses machine N of TYPE dispenser (default), mixer or scale."));
    line.addOption(QStringLiteral("param"), QStringLiteral("VALUE"), QStringLiteral("A parameter; repeat in order."));
    line.addOption(QStringLiteral("formula"), QStringLiteral("POS:AMOUNT,..."),
                   QStringLiteral("The formula: circuit position and amount in cc per ingredient."));
    line.addOption(QStringLiteral("access"), QStringLiteral("LEVEL"),
                   QStringLiteral("Access level of the login: 1 operator, 2 service, 3 factory\n(default: the "
                                  "settings file's AXOAccessLevel, else 1)."));
    line.addOption(QStringLiteral("progress"), QStringLiteral("MODE"),
                   QStringLiteral("auto (bar on a terminal), bar or lines."));
    line.addOption(QStringLiteral("cert"), QStringLiteral("FILE"),
                   QStringLiteral("PEM file with the certificate authority of the driver."));
    int status = cli::ExitOk;
    if (!line.parse(args, 2, 2, &status))
        return status;
    if (!line.endpoint(0, &m_host, &m_port))
        return cli::ExitUsage;
    m_command = line.positional().at(1);
    if (!ProtoCommandList::existsCommand(m_command))
        return line.usageError(QStringLiteral("no such command: %1").arg(m_command));
    if (line.isSet(QStringLiteral("dispenser")) && line.isSet(QStringLiteral("machine")))
        return line.usageError(QStringLiteral("--dispenser and --machine exclude each other"));
    int dispenser = 0;
    if (!line.intValue(QStringLiteral("dispenser"), 1, 9999, 0, &dispenser))
        return cli::ExitUsage;
    if (dispenser > 0)
        m_machine = MachineID(dispenser, MachineID::Dispenser);
    int access = 0;
    if (!line.intValue(QStringLiteral("access"), 1, 3, 0, &access))
        return cli::ExitUsage;
    NECmdManager::setAccessLevel(access);
    if (line.isSet(QStringLiteral("machine")) && !cli::parseMachine(line.value(QStringLiteral("machine")), &m_machine))
        return line.usageError(QStringLiteral("bad value for --machine: %1").arg(line.value(QStringLiteral("machine"))));
    if (line.isSet(QStringLiteral("formula"))) {
        Formula formula;
        if (!cli::parseFormula(line.value(QStringLiteral("formula")), formula))
            return line.usageError(QStringLiteral("bad value for --formula: %1").arg(line.value(QStringLiteral("formula"))));
        m_parameters.append(QVariant::fromValue(formula));
    }
    for (const QString &value : line.values(QStringLiteral("param")))
        m_parameters.append(parameter(value));
    const QString progress = line.isSet(QStringLiteral("progress")) ? line.value(QStringLiteral("progress"))
                                                                    : QStringLiteral("auto");
    if (progress == QLatin1String("auto"))
        m_progressMode = ProgressDisplay::automatic();
    else if (progress == QLatin1String("bar") || progress == QLatin1String("lines"))
        m_progressMode = progress == QLatin1String("bar") ? ProgressDisplay::Bar : ProgressDisplay::Lines;
    else
        return line.usageError(QStringLiteral("bad value for --progress: %1").arg(progress));
    m_certPath = line.value(QStringLiteral("cert"));
    return cli::Proceed;
}

void ExecCommand::startMachineThreads()
{
    AXOCommData *store = AXOCommData::instance();
    const int type = m_machine.machineType;
    // A mixer or scale logs in only with the generic machine of its kind
    // served as well (the generic dispenser's thread runs already).
    if (!m_machine.isDispenser())
        store->startDriverCommThread(m_driverID, MachineID(0, type), NEDriverParams::StandardCommandsThread);
    store->updateMachineDataList(m_driverID, {m_machine}, static_cast<MachineID::SerialDeviceType>(type));
    // The scale commands thread serves the machines that weigh.
    const int last = m_machine.isMixer() ? NEDriverParams::StopCommandsThread : NEDriverParams::ScaleCommandsThread;
    for (int thread = NEDriverParams::StandardCommandsThread; thread <= last; ++thread)
        store->startDriverCommThread(m_driverID, m_machine, static_cast<NEDriverParams::DriverThreadTypes>(thread));
    cli::printLine(QStringLiteral("command threads started for %1").arg(cli::machineText(m_machine)));
}

int ExecCommand::execute()
{
    try {
        NECommand cmd(m_driverID, m_machine.machineNumber > 0 ? m_machine : MachineID(0, MachineID::Dispenser),
                      m_command, m_parameters);
        std::printf("%s %s (%s)\n", qPrintable(m_command),
                    m_machine.machineNumber > 0 ? qPrintable(QStringLiteral("on %1").arg(cli::machineText(m_machine)))
                                                : "on the driver",
                    cmd.isAsyncCommandCall() ? "asynchronous call, followed by ticket" : "synchronous call");
        std::fflush(stdout);
        ProgressDisplay progress(m_progressMode);
        m_progress = &progress;
        followEvents(cmd);
        m_progress = nullptr;
        cli::printErrors(cmd.errors(), QStringLiteral("  "));
        const std::unique_ptr<XmlRpcAnswer> answer = cmd.getXmlRpcAnswer();
        if (answer && answer->hasData())
            cli::printLine(QStringLiteral("  answer: ") + QString::fromStdString(answer->data().toText()));
        return cmd.isDoneSuccessfully() ? cli::ExitOk : cli::ExitFailed;
    } catch (const FW_Exception &e) {
        cli::printLine(QStringLiteral("command not built: %1").arg(e.error().errorText()));
        return cli::ExitFailed;
    }
}

void ExecCommand::followEvents(NECommand &cmd)
{
    // The pumped execution emits its command's signals in this thread;
    // queued, other threads' signals cannot race with the display either.
    AXOCommData *store = AXOCommData::instance();
    const NECommand *followed = &cmd;
    const QMetaObject::Connection watch = QObject::connect(
        store, &AXOCommData::NECommandExecutionStatusSignal, &m_context,
        [this, followed](AXOCommData::CommandEvent event, const NECommand &c) {
            if (c.driverID() == followed->driverID() && c.command() == followed->command())
                onStatus(event, c);
        },
        Qt::QueuedConnection);
    QMetaObject::Connection stop;
    if (SignalWatcher *watcher = SignalWatcher::current())
        stop = QObject::connect(watcher, &SignalWatcher::interrupted, &m_context, [this, followed] { interrupt(*followed); });
    NECmdManager::executeCommandPumped(&cmd);
    QCoreApplication::processEvents(); // the signals still on their way
    QObject::disconnect(watch);
    QObject::disconnect(stop);
    m_progress->finish();
}

void ExecCommand::onStatus(int event, const NECommand &c)
{
    if (!m_progress)
        return; // delivered after the command ended
    const CmdStatus s = c.executionStatus();
    switch (event) {
    case AXOCommData::CommandEnqueued:
        m_progress->message(QStringLiteral("  enqueued %1").arg(c.command()));
        break;
    case AXOCommData::CommandSent:
        m_progress->message(QStringLiteral("  sent"));
        break;
    case AXOCommData::CommandProgress:
        // A bar only for what is followed by ticket: a synchronous call has no progress to draw.
        if (m_progressMode == ProgressDisplay::Lines || c.isAsyncCommandCall())
            m_progress->show(s.percentage(), s.timeLeft() / 1000.0);
        break;
    case AXOCommData::CommandExecuted:
        if (m_progressMode == ProgressDisplay::Bar && c.isAsyncCommandCall() && c.isDoneSuccessfully())
            m_progress->show(100, 0.0); // the bar full before its line ends
        m_progress->message(QStringLiteral("  executed: %1").arg(CmdStatus::getDescription(s.status())));
        break;
    default:
        break;
    }
}

void ExecCommand::interrupt(const NECommand &cmd)
{
    if (m_stopSent)
        return;
    m_stopSent = true;
    if (!cmd.isAsyncCommandCall() || m_machine.machineNumber == 0) {
        m_progress->message(QStringLiteral("  interrupted: waiting for %1 to end").arg(m_command));
        return;
    }
    m_progress->message(QStringLiteral("  interrupted: STOP sent to %1").arg(cli::machineText(m_machine)));
    NECommand stop(m_driverID, m_machine, QStringLiteral("STOP"));
    NECmdManager::executeCommand(&stop, false, true);
}
