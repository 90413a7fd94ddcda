#include "StartCommand.h"

#include "AXOComm.h"
#include "CliSupport.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>

#include <cstdio>

namespace {

void line(const QString &text)
{
    std::printf("[%8.1f ms] %s\n", cli::elapsedMs(), qPrintable(text));
    std::fflush(stdout);
}

QString machineText(const MachineID &id)
{
    return QStringLiteral("%1 %2").arg(id.typeText().toLower()).arg(id.machineNumber);
}

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
    if (usage != 0)
        return usage;
    const bool tls = AXOClientSettings::useOpenSsl();
    line(QStringLiteral("starting the driver at %1:%2 (%3), communication level %4, mixers managed")
             .arg(m_host)
             .arg(m_port)
             .arg(QLatin1String(tls ? "TLS" : "plain"))
             .arg(m_level));
    bool ok = start();
    if (ok) {
        showMachines();
        if (m_dispense) {
            const int dispenser = m_dispenser > 0 ? m_dispenser : AXOCurrentCommData::instance()->currentDispenserID();
            ok = dispenser > 0 ? dispense(dispenser) : false;
            if (dispenser <= 0)
                line(QStringLiteral("no dispenser to dispense on"));
        }
    } else {
        for (const FW_Error &error : AXOCommData::instance()->getErrorList(m_driverID, MachineID(0, MachineID::Dispenser)))
            line(QStringLiteral("error %1").arg(error.errorText()));
    }
    AXOCommManager::instance()->stopDriversComm(-1, true);
    line(QStringLiteral("communication stopped"));
    AXOCommManager::drop();
    AXOCurrentCommData::drop();
    AXOCommData::drop();
    return ok ? 0 : 1;
}

int StartCommand::parse(const QStringList &args)
{
    QString endpoint;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!arg.startsWith(QLatin1String("--"))) {
            if (!endpoint.isEmpty())
                return cli::usageError("start takes one HOST:PORT");
            endpoint = arg;
            continue;
        }
        if (i + 1 >= args.size())
            return cli::usageError(qPrintable(arg + QStringLiteral(" needs a value")));
        const QString value = args.at(++i);
        bool ok = true;
        if (arg == QLatin1String("--level")) {
            m_level = value.toInt(&ok);
            ok = ok && m_level >= 0 && m_level <= 2;
        } else if (arg == QLatin1String("--dispenser")) {
            m_dispenser = value.toInt(&ok);
            ok = ok && m_dispenser > 0;
        } else if (arg == QLatin1String("--dispense")) {
            ok = m_dispense = cli::parseFormula(value, m_formula);
        } else {
            return cli::usageError(qPrintable(QStringLiteral("unknown option %1").arg(arg)));
        }
        if (!ok)
            return cli::usageError(qPrintable(QStringLiteral("bad value for %1: %2").arg(arg, value)));
    }
    if (endpoint.isEmpty())
        return cli::usageError("start needs HOST:PORT");
    if (!cli::parseEndpoint(endpoint, &m_host, &m_port))
        return cli::usageError(qPrintable(QStringLiteral("not an IPv4 address and port: %1").arg(endpoint)));
    return 0;
}

bool StartCommand::start()
{
    AXOCommManager *manager = AXOCommManager::instance();
    const QMetaObject::Connection started =
        QObject::connect(manager, &AXOCommManager::CommTaskStarted, [](AXOCommManager::CommTasks task) {
            line(QStringLiteral("%1 ...").arg(AXOCommManager::CommTaskStr(task)));
        });
    const QMetaObject::Connection completed = QObject::connect(
        manager, &AXOCommManager::CommTaskCompleted,
        [](AXOCommManager::CommTasks task, bool result, AXOCommManager::CommMgsID msgID) {
            line(QStringLiteral("%1: %2 (%3)")
                     .arg(AXOCommManager::CommTaskStr(task), QLatin1String(result ? "done" : "FAILED"),
                          AXOCommManager::CommMgsIDStr(msgID)));
        });
    m_driverID = AXOCommData::instance()->getNextDriverID();
    const bool ok = manager->startAXODriverEncryptedOrNot(QStringLiteral("axocomm"), m_host, m_port,
                                                          static_cast<AXOCommData::CommLevel>(m_level));
    QObject::disconnect(started);
    QObject::disconnect(completed);
    return ok;
}

void StartCommand::showMachines()
{
    // The active-machines thread's first answer comes right after the start.
    AXOCurrentCommData *current = AXOCurrentCommData::instance();
    QElapsedTimer timer;
    timer.start();
    while (m_level >= 1 && current->getActiveMachineIDs(MachineID::AllTypes).isEmpty() && timer.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QStringList active;
    for (const MachineID &id : current->getActiveMachineIDs(MachineID::AllTypes))
        active << machineText(id);
    QVersionNumber version;
    AXOCommData::instance()->getDriverVersion(m_driverID, version);
    line(QStringLiteral("driver %1, version %2; active machines: %3; current machine: %4")
             .arg(m_driverID)
             .arg(version.toString(), active.isEmpty() ? QStringLiteral("none") : active.join(QStringLiteral(", ")),
                  current->currentMachineID().machineNumber > 0 ? machineText(current->currentMachineID())
                                                                : QStringLiteral("none")));
}

bool StartCommand::dispense(int dispenser)
{
    AXOCommData *store = AXOCommData::instance();
    QStringList items;
    for (const FormulaChannel &channel : m_formula.channels())
        for (const ChannelIngredient &ingredient : channel.ingredients())
            items << QStringLiteral("%1:%2").arg(ingredient.position()).arg(ingredient.amount());
    line(QStringLiteral("TINT on dispenser %1: %2").arg(dispenser).arg(items.join(QLatin1Char(' '))));
    try {
        NECommand cmd(m_driverID, MachineID(dispenser, MachineID::Dispenser), QStringLiteral("TINT"),
                      QList<QVariant>{QVariant::fromValue(m_formula)});
        const QMetaObject::Connection watch = QObject::connect(
            store, &AXOCommData::NECommandExecutionStatusSignal,
            [this, &cmd](AXOCommData::CommandEvent event, const NECommand &c) {
                if (c.driverID() == cmd.driverID() && c.command() == cmd.command()
                    && (event == AXOCommData::CommandProgress || event == AXOCommData::CommandExecuted))
                    showProgress(c);
            });
        NECmdManager::executeCommandPumped(&cmd);
        QObject::disconnect(watch);
        for (const FW_Error &error : cmd.errors())
            line(QStringLiteral("error %1").arg(error.errorText()));
        line(QStringLiteral("TINT %1").arg(CmdStatus::getDescription(cmd.executionStatus().status())));
        return cmd.isDoneSuccessfully();
    } catch (const FW_Exception &e) {
        line(QStringLiteral("TINT not built: %1").arg(e.error().errorText()));
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
    line(QStringLiteral("%1  (%2 s left)").arg(text).arg(status.timeLeft() / 1000.0, 0, 'f', 1));
}
