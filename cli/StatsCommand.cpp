#include "StatsCommand.h"

#include "AXOComm.h"
#include "CliSupport.h"
#include "CommandLine.h"
#include "QueryReply.h"

#include <QtCore/QJsonArray>
#include <QtCore/QJsonObject>

#include <cstdio>
#include <string>

namespace {

const char kSynopsis[] = "stats HOST:PORT QUERY [--json]";
const char kDescription[] =
    "Starts the communication with the driver (level 1) and runs the statistics\n"
    "query on its current dispenser, e.g.\n"
    "  \"SELECT position, colorant, amount FROM usage WHERE dispenser = 1\".\n"
    "Prints the reply table: a header line naming the columns, then one line per\n"
    "row, fields separated by tabs; with --json one object a row.\n"
    "Exit status: 0 the driver answered, 1 it or the library failed (a query the\n"
    "driver cannot run included), 2 bad usage.";

void printTable(const QueryReply &reply, bool json)
{
    if (!json) {
        const QByteArray text = reply.text().toUtf8();
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
        if (!text.isEmpty() && !text.endsWith('\n'))
            std::fputc('\n', stdout);
        std::fflush(stdout);
        return;
    }
    const QStringList columns = reply.columns();
    for (const QStringList &row : reply.rows()) {
        QJsonObject object;
        for (int i = 0; i < columns.size(); ++i)
            object.insert(columns.at(i), row.value(i));
        cli::printJson(object);
    }
}

} // namespace

int StatsCommand::run(const QStringList &args)
{
    CommandLine line{QLatin1String(kSynopsis), QLatin1String(kDescription)};
    line.addFlag(QStringLiteral("json"), QStringLiteral("One JSON object a row (fields as text)."));
    int status = cli::ExitOk;
    if (!line.parse(args, 2, 2, &status))
        return status;
    if (!line.endpoint(0, &m_host, &m_port))
        return cli::ExitUsage;
    m_query = line.positional().at(1).trimmed();
    if (m_query.isEmpty())
        return line.usageError(QStringLiteral("the query is empty"));
    m_json = line.isSet(QStringLiteral("json"));

    if (!m_session.start(m_host, m_port, 1)) {
        cli::printError(QStringLiteral("the communication with %1:%2 did not start").arg(m_host).arg(m_port));
        return cli::ExitFailed;
    }
    // The query goes through the current dispenser, chosen from the first
    // active-machines answer.
    m_session.waitForActiveMachines(3000);
    const int driverID = m_session.driverID();
    std::string query = m_query.toStdString();
    std::string reply;
    QueryReply parsed;
    if (!NECmdManager::ExecQueryStats(driverID, query, reply, parsed)) {
        cli::printError(QStringLiteral("the statistics query failed"));
        // The library's record on the driver; the driver's own reason, when
        // it gave one, on the current dispenser.
        AXOCommData *store = AXOCommData::instance();
        const int dispenser = AXOCurrentCommData::instance()->currentDispenserID();
        for (const MachineID &machine : {MachineID(0, MachineID::Dispenser), MachineID(dispenser, MachineID::Dispenser)})
            for (const FW_Error &error : store->getErrorList(driverID, machine))
                cli::printError(error.errorText());
        return cli::ExitFailed;
    }
    m_session.stop();
    printTable(parsed, m_json);
    return cli::ExitOk;
}
