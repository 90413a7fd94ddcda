#include "StartCommand.h"

#include "AXOComm.h"
#include "CliSupport.h"
#include "CommandLine.h"
#include "SignalWatcher.h"

#include <QtCore/QCoreApplication>

namespace {

const char kSynopsis[] = "start HOST:PORT [--level N] [--dispense POS:AMOUNT,...] [--dispenser N]";
const char kDescription[] =
    "Starts the communication with the driver the way a service application does\n"
    "(communication level 0, 1 or 2, default 2; mixers managed), printing each\n"
    "phase as it happens and the machines found; with --dispense it then\n"
    "dispenses the formula on the current dispenser (or --dispenser N), following\n"
    "its progress per circuit, and stops the communication again (Ctrl-C during\n"
    "the dispensing sends STOP).\n"
    "Exit status: 0 the start (and the dispensing) succeeded, 1 not, 2 bad usage.";

const char *stateText(ChannelIngredient::DosingState state)
{
    switch (state) {
    case ChannelIngredient::Dosing:
        return "dosing";
    case ChannelIngredient::Done:
        return "done";
    default:
        return "waiting";
    }
}

} // namespace

int StartCommand::run(const QStringList &args)
{
    const int usage = parse(args);
    if (usage != cli::Proceed)
        return usage;
    const bool tls = AXOClientSettings::useOpenSsl();
    cli::printStamped(QStringLiteral("starting the driver at %1:%2 (%3), communication level %4, mixers managed")
                          .arg(m_host)
                          .arg(m_port)
                          .arg(QLatin1String(tls ? "TLS" : "plain"))
                          .arg(m_level));
    m_session.setPhasePrinter(cli::printStamped);
    bool ok = m_session.start(m_host, m_port, m_level);
    if (ok) {
        showMachines();
        if (m_dispense && !SignalWatcher::pending()) {
            const int dispenser = m_dispenser > 0 ? m_dispenser : AXOCurrentCommData::instance()->currentDispenserID();
            ok = dispenser > 0 ? dispense(dispenser) : false;
            if (dispenser <= 0)
                cli::printStamped(QStringLiteral("no dispenser to dispense on"));
        }
    } else {
        for (const FW_Error &error :
             AXOCommData::instance()->getErrorList(m_session.driverID(), MachineID(0, MachineID::Dispenser)))
            cli::printStamped(QStringLiteral("error %1").arg(error.errorText()));
    }
    m_session.stop();
    cli::printStamped(QStringLiteral("communication stopped"));
    return ok ? cli::ExitOk : cli::ExitFailed;
}

int StartCommand::parse(const QStringList &args)
{
    CommandLine line{QLatin1String(kSynopsis), QLatin1String(kDescription)};
    line.addOption(QStringLiteral("level"), QStringLiteral("N"), QStringLiteral("Communication level 0, 1 or 2."));
    line.addOption(QStringLiteral("dispense"), QStringLiteral("POS:AMOUNT,..."),
                   QStringLiteral("A formula to dispense: circuit position and amount in cc per ingredient."));
    line.addOption(QStringLiteral("dispenser"), QStringLiteral("N"),
                   QStringLiteral("The dispenser to dispense on (default the current one)."));
    int status = cli::ExitOk;
    if (!line.parse(args, 1, 1, &status))
        return status;
    if (!line.endpoint(0, &m_host, &m_port))
        return cli::ExitUsage;
    if (!line.intValue(QStringLiteral("level"), 0, 2, 2, &m_level)
        || !line.intValue(QStringLiteral("dispenser"), 1, 9999, 0, &m_dispenser))
        return cli::ExitUsage;
    if (line.isSet(QStringLiteral("dispense"))) {
        m_dispense = cli::parseFormula(line.value(QStringLiteral("dispense")), m_formula);
        if (!m_dispense)
            return line.usageError(
                QStringLiteral("bad value for --dispense: %1").arg(line.value(QStringLiteral("dispense"))));
    }
    return cli::Proceed;
}

void StartCommand::showMachines()
{
    AXOCurrentCommData *current = AXOCurrentCommData::instance();
    QStringList active;
    if (m_level >= 1)
        for (const MachineID &id : m_session.waitForActiveMachines(3000))
            active << cli::machineText(id);
    QVersionNumber version;
    AXOCommData::instance()->getDriverVersion(m_session.driverID(), version);
    cli::printStamped(
        QStringLiteral("driver %1, version %2; active machines: %3; current machine: %4")
            .arg(m_session.driverID())
            .arg(version.toString(), active.isEmpty() ? QStringLiteral("none") : active.join(QStringLiteral(", ")),
                 current->currentMachineID().machineNumber > 0 ? cli::machineText(current->currentMachineID())
                                                               : QStringLiteral("none")));
}

bool StartCommand::dispense(int dispenser)
{
    AXOCommData *store = AXOCommData::instance();
    QStringList items;
    for (const FormulaChannel &channel : m_formula.channels())
        for (const ChannelIngredient &ingredient : channel.ingredients())
            items << QStringLiteral("%1:%2").arg(ingredient.position()).arg(ingredient.amount());
    cli::printStamped(QStringLiteral("TINT on dispenser %1: %2").arg(dispenser).arg(items.join(QLatin1Char(' '))));
    try {
        const MachineID machine(dispenser, MachineID::Dispenser);
        NECommand cmd(m_session.driverID(), machine, QStringLiteral("TINT"),
                      QList<QVariant>{QVariant::fromValue(m_formula)});
        const int driverID = m_session.driverID();
        // Queued: the polling threads' commands signal from their own threads.
        const QMetaObject::Connection watch = QObject::connect(
            store, &AXOCommData::NECommandExecutionStatusSignal, &m_context,
            [this, driverID](AXOCommData::CommandEvent event, const NECommand &c) {
                if (c.driverID() == driverID && c.command() == QLatin1String("TINT")
                    && (event == AXOCommData::CommandProgress || event == AXOCommData::CommandExecuted))
                    showProgress(c);
            },
            Qt::QueuedConnection);
        QMetaObject::Connection stop;
        if (SignalWatcher *watcher = SignalWatcher::current())
            stop = QObject::connect(watcher, &SignalWatcher::interrupted, &m_context, [driverID, machine] {
                cli::printStamped(QStringLiteral("interrupted: STOP sent to %1").arg(cli::machineText(machine)));
                NECommand stopCmd(driverID, machine, QStringLiteral("STOP"));
                NECmdManager::executeCommand(&stopCmd, false, true);
            });
        NECmdManager::executeCommandPumped(&cmd);
        QCoreApplication::processEvents(); // the signals still on their way
        QObject::disconnect(watch);
        QObject::disconnect(stop);
        for (const FW_Error &error : cmd.errors())
            cli::printStamped(QStringLiteral("error %1").arg(error.errorText()));
        cli::printStamped(QStringLiteral("TINT %1").arg(CmdStatus::getDescription(cmd.executionStatus().status())));
        return cmd.isDoneSuccessfully();
    } catch (const FW_Exception &e) {
        cli::printStamped(QStringLiteral("TINT not built: %1").arg(e.error().errorText()));
        return false;
    }
}

void StartCommand::showProgress(const NECommand &cmd)
{
    const CmdStatus status = cmd.executionStatus();
    QString text = QStringLiteral("progress %1%").arg(status.percentage(), 3);
    if (cmd.hasFormulaProgress()) {
        QStringList circuits;
        for (const FormulaChannel &channel : cmd.formulaProgress().formulaChannels())
            for (const ChannelIngredient &ingredient : channel.ingredients())
                circuits << QStringLiteral("%1 %2").arg(ingredient.position()).arg(QLatin1String(stateText(ingredient.state())));
        text += QStringLiteral("  circuits: ") + circuits.join(QStringLiteral(", "));
    }
    // Progress events come faster than they change.
    if (text == m_lastProgress)
        return;
    m_lastProgress = text;
    cli::printStamped(QStringLiteral("%1  (%2 s left)").arg(text).arg(status.timeLeft() / 1000.0, 0, 'f', 1));
}
