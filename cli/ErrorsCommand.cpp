#include "ErrorsCommand.h"

#include "AXOComm.h"
#include "ClearErrorsAnswer.h"
#include "CliSupport.h"
#include "CommandLine.h"
#include "GetErrorsAnswer.h"
#include "SignalWatcher.h"

#include <QtCore/QJsonArray>
#include <QtCore/QJsonObject>

namespace {

const char kSynopsis[] = "errors HOST:PORT [--machine N[:TYPE]] [--clear] [--json]";
const char kDescription[] =
    "Starts the communication with the driver (level 1), asks each active machine\n"
    "(or the one of --machine) for its errors and lists them, one line each:\n"
    "\"MACHINE: CODE - message (type)\"; with --clear it then clears them. With\n"
    "--json one JSON object a machine.\n"
    "Exit status: 0 listed (and cleared), 1 the driver or the library failed,\n"
    "2 bad usage.";

// Runs the command, blocking; its errors as lines on failure.
bool runOn(NECommand &cmd)
{
    NECmdManager::executeCommand(&cmd, true, false);
    if (cmd.isDoneSuccessfully())
        return true;
    cli::printLine(QStringLiteral("%1: %2 failed").arg(cli::machineText(cmd.machineID()), cmd.command()));
    cli::printErrors(cmd.errors(), QStringLiteral("  "));
    return false;
}

} // namespace

int ErrorsCommand::run(const QStringList &args)
{
    const int usage = parse(args);
    if (usage != cli::Proceed)
        return usage;
    if (!m_session.start(m_host, m_port, 1)) {
        cli::printLine(QStringLiteral("the communication with %1:%2 did not start").arg(m_host).arg(m_port));
        cli::printErrors(AXOCommData::instance()->getErrorList(m_session.driverID(), MachineID(0, MachineID::Dispenser)));
        return cli::ExitFailed;
    }
    QList<MachineID> machines = m_session.waitForActiveMachines(3000);
    if (m_machine.machineNumber > 0)
        machines = {m_machine};
    bool ok = !machines.isEmpty();
    if (machines.isEmpty())
        cli::printLine(QStringLiteral("no active machine"));
    try {
        for (const MachineID &machine : machines) {
            if (SignalWatcher::pending()) {
                cli::printLine(QStringLiteral("interrupted"));
                ok = false;
                break;
            }
            ok = list(machine) && ok;
            if (m_clear)
                ok = clear(machine) && ok;
        }
    } catch (const FW_Exception &e) {
        cli::printLine(QStringLiteral("command not built: %1").arg(e.error().errorText()));
        ok = false;
    }
    m_session.stop();
    return ok ? cli::ExitOk : cli::ExitFailed;
}

int ErrorsCommand::parse(const QStringList &args)
{
    CommandLine line{QLatin1String(kSynopsis), QLatin1String(kDescription)};
    line.addOption(QStringLiteral("machine"), QStringLiteral("N[:TYPE]"),
                   QStringLiteral("Only machine N of TYPE dispenser (default), mixer or scale."));
    line.addFlag(QStringLiteral("clear"), QStringLiteral("Clears the errors after listing them."));
    line.addFlag(QStringLiteral("json"), QStringLiteral("One JSON object a machine."));
    int status = cli::ExitOk;
    if (!line.parse(args, 1, 1, &status))
        return status;
    if (!line.endpoint(0, &m_host, &m_port))
        return cli::ExitUsage;
    if (line.isSet(QStringLiteral("machine")) && !cli::parseMachine(line.value(QStringLiteral("machine")), &m_machine))
        return line.usageError(QStringLiteral("bad value for --machine: %1").arg(line.value(QStringLiteral("machine"))));
    m_clear = line.isSet(QStringLiteral("clear"));
    m_json = line.isSet(QStringLiteral("json"));
    return cli::Proceed;
}

bool ErrorsCommand::list(const MachineID &machine)
{
    NECommand cmd(m_session.driverID(), machine, QStringLiteral("GET_ERRORS"));
    if (!runOn(cmd))
        return false;
    const std::unique_ptr<GetErrorsAnswer> answer = cmd.answerAs<GetErrorsAnswer>();
    const FW_ErrorList errors = answer ? answer->errorList() : FW_ErrorList();
    if (m_json) {
        QJsonArray items;
        for (const FW_Error &error : errors)
            items.append(QJsonObject{{QStringLiteral("code"), error.errorCode()},
                                     {QStringLiteral("message"), error.errorMsg()},
                                     {QStringLiteral("type"), FW_Error::typeName(error.errorType())}});
        cli::printJson(QJsonObject{{QStringLiteral("machine"), cli::machineText(machine)},
                                   {QStringLiteral("errors"), items}});
        return true;
    }
    if (errors.isEmpty())
        cli::printLine(QStringLiteral("%1: no errors").arg(cli::machineText(machine)));
    for (const FW_Error &error : errors)
        cli::printLine(QStringLiteral("%1: %2 (%3)")
                           .arg(cli::machineText(machine), error.errorText(), FW_Error::typeName(error.errorType())));
    return true;
}

bool ErrorsCommand::clear(const MachineID &machine)
{
    NECommand cmd(m_session.driverID(), machine, QStringLiteral("CLEAR_ERRORS"));
    if (!runOn(cmd))
        return false;
    const std::unique_ptr<ClearErrorsAnswer> answer = cmd.answerAs<ClearErrorsAnswer>();
    const int cleared = answer ? answer->clearedCount() : 0;
    if (m_json)
        cli::printJson(QJsonObject{{QStringLiteral("machine"), cli::machineText(machine)},
                                   {QStringLiteral("cleared"), cleared}});
    else
        cli::printLine(QStringLiteral("%1: %2 error(s) cleared").arg(cli::machineText(machine)).arg(cleared));
    return true;
}
