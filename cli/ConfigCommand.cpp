#include "ConfigCommand.h"

#include "AXOComm.h"
#include "CliSupport.h"
#include "CommandLine.h"
#include "XmlRpcVariant.h"

#include <QtCore/QFile>
#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>

#include <cstdio>

namespace {

const char kSynopsis[] = "config get HOST:PORT [FILE] [--factory] [--driver-form]\n"
                         "       axocomm config save HOST:PORT FILE";
const char kDescription[] =
    "get reads the driver's working configuration (--factory: its factory one) and\n"
    "writes it to FILE or to standard output, as JSON or, with --driver-form, as\n"
    "the XML-RPC value the driver sends. save reads a configuration in either form\n"
    "from FILE (\"-\": standard input), checks it and saves it as the driver's\n"
    "working configuration.\n"
    "Exit status: 0 read or saved, 1 the driver, the library or the file failed\n"
    "(including a configuration that is not valid), 2 bad usage.";

QByteArray readFile(const QString &path, QString *error)
{
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return QByteArray();
    }
    return file.readAll();
}

} // namespace

int ConfigCommand::run(const QStringList &args)
{
    CommandLine line{QLatin1String(kSynopsis), QLatin1String(kDescription)};
    line.addFlag(QStringLiteral("factory"), QStringLiteral("get: the factory configuration."));
    line.addFlag(QStringLiteral("driver-form"), QStringLiteral("get: the driver's XML-RPC form instead of JSON."));
    int status = cli::ExitOk;
    if (!line.parse(args, 2, 3, &status))
        return status;
    const QString action = line.positional().at(0);
    if (action != QLatin1String("get") && action != QLatin1String("save"))
        return line.usageError(QStringLiteral("config takes get or save, not %1").arg(action));
    m_save = action == QLatin1String("save");
    if (!line.endpoint(1, &m_host, &m_port))
        return cli::ExitUsage;
    m_file = line.positional().value(2);
    if (m_save && m_file.isEmpty())
        return line.usageError(QStringLiteral("config save needs FILE"));
    if (m_save && (line.isSet(QStringLiteral("factory")) || line.isSet(QStringLiteral("driver-form"))))
        return line.usageError(QStringLiteral("--factory and --driver-form are options of config get"));
    m_factory = line.isSet(QStringLiteral("factory"));
    m_driverForm = line.isSet(QStringLiteral("driver-form"));
    return m_save ? save() : get();
}

QByteArray ConfigCommand::encode(const FW_Configuration &configuration, bool driverForm)
{
    const XmlRpc::XmlRpcValue value = configuration.toXmlRpcValue();
    if (driverForm)
        return QByteArray::fromStdString(value.toXml()) + '\n';
    const QVariant plain = XmlRpcVariant::fromXmlRpc(value);
    return QJsonDocument::fromVariant(plain).toJson(QJsonDocument::Indented);
}

bool ConfigCommand::decode(const QByteArray &text, FW_Configuration *configuration, QString *error)
{
    XmlRpc::XmlRpcValue value;
    if (text.trimmed().startsWith('<')) {
        int offset = 0;
        const std::string xml = text.trimmed().toStdString();
        if (!value.fromXml(xml, &offset)) {
            *error = QStringLiteral("not an XML-RPC value");
            return false;
        }
    } else {
        QJsonParseError parse;
        const QJsonDocument document = QJsonDocument::fromJson(text, &parse);
        if (parse.error != QJsonParseError::NoError) {
            *error = QStringLiteral("not JSON: %1 at offset %2").arg(parse.errorString()).arg(parse.offset);
            return false;
        }
        bool ok = false;
        value = XmlRpcVariant::toXmlRpc(cli::variantFromJson(document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array())), &ok);
        if (!ok) {
            *error = QStringLiteral("JSON with values the driver cannot take");
            return false;
        }
    }
    bool ok = false;
    *configuration = FW_Configuration::fromXmlRpcValue(value, &ok);
    if (!ok)
        *error = QStringLiteral("not a machine configuration");
    return ok;
}

int ConfigCommand::get()
{
    if (!m_session.start(m_host, m_port, 1)) {
        cli::printError(QStringLiteral("the communication with %1:%2 did not start").arg(m_host).arg(m_port));
        return cli::ExitFailed;
    }
    const int driverID = m_session.driverID();
    AXOCommData *store = AXOCommData::instance();
    const bool loaded = m_factory ? NECmdManager::loadFactoryConfiguration(driverID, true)
                                  : NECmdManager::loadConfiguration(driverID, true);
    if (!loaded) {
        cli::printError(QStringLiteral("the driver did not give its configuration"));
        for (const FW_Error &error : store->getErrorList(driverID, MachineID(0, MachineID::Dispenser)))
            cli::printError(error.errorText());
        return cli::ExitFailed;
    }
    const FW_Configuration configuration =
        m_factory ? store->getFactoryConfiguration(driverID) : store->getSharedConfiguration(driverID);
    m_session.stop();
    const QByteArray text = encode(configuration, m_driverForm);
    if (m_file.isEmpty() || m_file == QLatin1String("-")) {
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
        std::fflush(stdout);
        return cli::ExitOk;
    }
    QFile file(m_file);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size()) {
        cli::printError(QStringLiteral("cannot write %1: %2").arg(m_file, file.errorString()));
        return cli::ExitFailed;
    }
    cli::printLine(QStringLiteral("%1 configuration of %2 machine(s) written to %3")
                       .arg(QLatin1String(m_factory ? "factory" : "working"))
                       .arg(configuration.numOfMachines(MachineID::AllTypes, false))
                       .arg(m_file));
    return cli::ExitOk;
}

int ConfigCommand::save()
{
    QString error;
    const QByteArray text = readFile(m_file, &error);
    FW_Configuration configuration;
    if (!error.isEmpty() || !decode(text, &configuration, &error)) {
        cli::printError(QStringLiteral("%1: %2").arg(m_file, error));
        return cli::ExitFailed;
    }
    FW_DriverError invalid;
    if (!FW_Configuration::isValid(configuration, &invalid)) {
        cli::printError(QStringLiteral("%1: not a valid configuration: %2").arg(m_file, invalid.errorText()));
        return cli::ExitFailed;
    }
    if (!m_session.start(m_host, m_port, 1)) {
        cli::printError(QStringLiteral("the communication with %1:%2 did not start").arg(m_host).arg(m_port));
        return cli::ExitFailed;
    }
    const int driverID = m_session.driverID();
    if (!NECmdManager::loadConfiguration(driverID, true)
        || !NECmdManager::saveConfiguration(driverID, configuration, true, true, true)) {
        cli::printError(QStringLiteral("the driver did not save the configuration"));
        for (const FW_Error &e : AXOCommData::instance()->getErrorList(driverID, MachineID(0, MachineID::Dispenser)))
            cli::printError(e.errorText());
        return cli::ExitFailed;
    }
    cli::printLine(QStringLiteral("configuration of %1 machine(s) saved")
                       .arg(configuration.numOfMachines(MachineID::AllTypes, false)));
    return cli::ExitOk;
}
