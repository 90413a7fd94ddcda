#include "WatchCommand.h"

#include "AXOComm.h"
#include "CliSupport.h"
#include "CommandLine.h"
#include "SignalWatcher.h"

#include <QtCore/QEventLoop>
#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>

#include <csignal>

namespace {

const char kSynopsis[] = "watch HOST:PORT [--level N] [--json]";
const char kDescription[] =
    "Starts the communication with the driver at the level (0, 1 or 2, default 2;\n"
    "mixers managed) and prints every change signal of the data store and of the\n"
    "current-machine facade as one line with a time stamp, until Ctrl-C (SIGINT)\n"
    "or SIGTERM; then logs the sessions out and closes the driver. With --json\n"
    "every line is one JSON object.\n"
    "Exit status: 0 watched until interrupted, 1 the start failed, 2 bad usage.";

QString typeName(const MachineID &machine)
{
    const QString type = machine.typeText().toLower();
    return type.isEmpty() ? QStringLiteral("driver") : type;
}

QJsonObject machineObject(const MachineID &machine)
{
    return QJsonObject{{QStringLiteral("number"), machine.machineNumber}, {QStringLiteral("type"), typeName(machine)}};
}

QString valueText(const QJsonValue &value)
{
    if (value.isObject() && value.toObject().contains(QStringLiteral("number")))
        return QStringLiteral("%1:%2")
            .arg(value.toObject().value(QStringLiteral("type")).toString())
            .arg(value.toObject().value(QStringLiteral("number")).toInt());
    if (value.isObject())
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    if (value.isBool())
        return QLatin1String(value.toBool() ? "true" : "false");
    if (value.isDouble())
        return QString::number(value.toDouble());
    return value.toString();
}

// "key=value" pairs for the text form: driver and machine first, the rest
// by name; objects and arrays as compact JSON.
QString textOf(const QJsonObject &details)
{
    QStringList keys = details.keys();
    for (const QString &first : {QStringLiteral("machine"), QStringLiteral("driver")}) {
        if (keys.removeOne(first))
            keys.prepend(first);
    }
    QStringList parts;
    for (const QString &key : keys)
        parts << QStringLiteral("%1=%2").arg(key, valueText(details.value(key)));
    return parts.join(QLatin1Char(' '));
}

} // namespace

int WatchCommand::run(const QStringList &args)
{
    const int usage = parse(args);
    if (usage != cli::Proceed)
        return usage;
    qRegisterMetaType<MachineID>("MachineID");
    // Connected before the start, so that what the start changes is shown too.
    followStore(AXOCommData::instance());
    followCurrent(AXOCurrentCommData::instance());
    m_session.setPhasePrinter([this](const QString &text) {
        printEvent(QStringLiteral("phase"), QJsonObject{{QStringLiteral("text"), text}});
    });
    if (!m_session.start(m_host, m_port, m_level)) {
        for (const FW_Error &error :
             AXOCommData::instance()->getErrorList(m_session.driverID(), MachineID(0, MachineID::Dispenser)))
            printEvent(QStringLiteral("error"), QJsonObject{{QStringLiteral("text"), error.errorText()}});
        m_stopping = true;
        m_session.stop();
        return cli::ExitFailed;
    }
    printEvent(QStringLiteral("watching"),
               QJsonObject{{QStringLiteral("driver"), m_session.driverID()},
                           {QStringLiteral("endpoint"), QStringLiteral("%1:%2").arg(m_host).arg(m_port)},
                           {QStringLiteral("level"), m_level}});
    SignalWatcher *watcher = SignalWatcher::current();
    if (watcher && !watcher->poll()) {
        QEventLoop loop;
        QObject::connect(watcher, &SignalWatcher::interrupted, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const int number = watcher ? watcher->signalNumber() : 0;
    printEvent(QStringLiteral("stopping"),
               QJsonObject{{QStringLiteral("by"), QLatin1String(number == SIGTERM ? "SIGTERM" : "SIGINT")}});
    m_stopping = true;
    m_session.stop();
    printEvent(QStringLiteral("stopped"), QJsonObject{});
    return cli::ExitOk;
}

int WatchCommand::parse(const QStringList &args)
{
    CommandLine line{QLatin1String(kSynopsis), QLatin1String(kDescription)};
    line.addOption(QStringLiteral("level"), QStringLiteral("N"), QStringLiteral("Communication level 0, 1 or 2."));
    line.addFlag(QStringLiteral("json"), QStringLiteral("One JSON object a line."));
    int status = cli::ExitOk;
    if (!line.parse(args, 1, 1, &status))
        return status;
    if (!line.endpoint(0, &m_host, &m_port) || !line.intValue(QStringLiteral("level"), 0, 2, 2, &m_level))
        return cli::ExitUsage;
    m_json = line.isSet(QStringLiteral("json"));
    return cli::Proceed;
}

template<typename Sender, typename Signal, typename Details>
void WatchCommand::follow(Sender *sender, Signal signal, const char *source, const char *name, Details details)
{
    QObject::connect(
        sender, signal, &m_context,
        [this, source, name, details](auto... args) {
            if (!m_stopping) // the store is going: nothing more to read from it
                print(source, QLatin1String(name), details(args...));
        },
        Qt::QueuedConnection);
}

void WatchCommand::followStore(AXOCommData *store)
{
    const auto driver = [](int driverID) { return QJsonObject{{QStringLiteral("driver"), driverID}}; };
    const auto lists = [this](int driverID) { return activeDetails(driverID); };
    follow(store, &AXOCommData::NEDispenserStatusListChanged, "store", "NEDispenserStatusListChanged", lists);
    follow(store, &AXOCommData::NEMixerStatusListChanged, "store", "NEMixerStatusListChanged", lists);
    follow(store, &AXOCommData::NEScaleStatusListChanged, "store", "NEScaleStatusListChanged", lists);
    follow(store, &AXOCommData::NEMachineStatusListChanged, "store", "NEMachineStatusListChanged", lists);
    follow(store, &AXOCommData::NEConfigurationChanged, "store", "NEConfigurationChanged", driver);
    follow(store, &AXOCommData::NEDefaultCalibrationProfilesChanged, "store", "NEDefaultCalibrationProfilesChanged",
           driver);
    follow(store, &AXOCommData::NECustomCalibrationProfilesChanged, "store", "NECustomCalibrationProfilesChanged",
           driver);
    follow(store, &AXOCommData::NEAppMessageSignal, "store", "NEAppMessageSignal", [](const QString &text, bool error) {
        return QJsonObject{{QStringLiteral("message"), text}, {QStringLiteral("error"), error}};
    });
    followStoreMachines(store);
    followStoreData(store);
}

void WatchCommand::followStoreMachines(AXOCommData *store)
{
    follow(store, &AXOCommData::NEErrorListUpdated, "store", "NEErrorListUpdated",
           [this](int driverID, const MachineID &machine, bool changed) {
               return errorDetails(driverID, machine, changed);
           });
    follow(store, &AXOCommData::NEDispenserDriverStatusChangedSignal, "store", "NEDispenserDriverStatusChangedSignal",
           [this](int driverID, int dispID) { return statusDetails(driverID, MachineID(dispID, MachineID::Dispenser)); });
    follow(store, &AXOCommData::NEMixerDriverStatusChangedSignal, "store", "NEMixerDriverStatusChangedSignal",
           [this](int driverID, int mixerID) { return statusDetails(driverID, MachineID(mixerID, MachineID::Mixer)); });
    follow(store, &AXOCommData::NEMachineDriverStatusChangedSignal, "store", "NEMachineDriverStatusChangedSignal",
           [this](int driverID, const MachineID &machine) { return statusDetails(driverID, machine); });
    const auto machine = [this](int driverID, const MachineID &id) { return machineDetails(driverID, id); };
    follow(store, &AXOCommData::NEFirmwareProgramChangedSignal, "store", "NEFirmwareProgramChangedSignal", machine);
    follow(store, &AXOCommData::NEFirmwareVersionChangedSignal, "store", "NEFirmwareVersionChangedSignal", machine);
}

void WatchCommand::followStoreData(AXOCommData *store)
{
    const auto dispenser = [this](int driverID, int dispID) {
        return machineDetails(driverID, MachineID(dispID, MachineID::Dispenser));
    };
    follow(store, &AXOCommData::NECurrentScaleWeightChangedSignal, "store", "NECurrentScaleWeightChangedSignal",
           dispenser);
    follow(store, &AXOCommData::NEUSSCleaningStatusChangedSignal, "store", "NEUSSCleaningStatusChangedSignal",
           dispenser);
    follow(store, &AXOCommData::NEHumidifierValuesChangedSignal, "store", "NEHumidifierValuesChangedSignal",
           [this](int driverID, int dispID, double temperature, double humidity) {
               QJsonObject details = machineDetails(driverID, MachineID(dispID, MachineID::Dispenser));
               details.insert(QStringLiteral("temperature"), temperature);
               details.insert(QStringLiteral("humidity"), humidity);
               return details;
           });
    follow(store, &AXOCommData::NEGearACMotorValuesChangedSignal, "store", "NEGearACMotorValuesChangedSignal",
           [this](int driverID, int dispID, double speed, double current) {
               QJsonObject details = machineDetails(driverID, MachineID(dispID, MachineID::Dispenser));
               details.insert(QStringLiteral("pumpMotorSpeed"), speed);
               details.insert(QStringLiteral("inverterCurrent"), current);
               return details;
           });
}

void WatchCommand::followCurrent(AXOCurrentCommData *current)
{
    using C = AXOCurrentCommData;
    const auto none = [] { return QJsonObject{}; };
    follow(current, &C::NECurrentMachineChanged, "current", "NECurrentMachineChanged", [](const MachineID &machine) {
        return QJsonObject{{QStringLiteral("machine"), machineObject(machine)}};
    });
    follow(current, &C::NECurrentDispenserStatusListChangedSignal, "current",
           "NECurrentDispenserStatusListChangedSignal", none);
    follow(current, &C::NECurrentMachineStatusListChangedSignal, "current", "NECurrentMachineStatusListChangedSignal",
           none);
    follow(current, &C::NECurrentScaleStatusListChangedSignal, "current", "NECurrentScaleStatusListChangedSignal",
           none);
    follow(current, &C::NECurrentDispenserDriverStatusChangedSignal, "current",
           "NECurrentDispenserDriverStatusChangedSignal", none);
    follow(current, &C::NECurrentMachineDriverStatusChangedSignal, "current",
           "NECurrentMachineDriverStatusChangedSignal", none);
    follow(current, &C::NECurrentErrorListUpdated, "current", "NECurrentErrorListUpdated",
           [](bool changed) { return QJsonObject{{QStringLiteral("changed"), changed}}; });
    follow(current, &C::NECurrentFirmwareVersionChangedSignal, "current", "NECurrentFirmwareVersionChangedSignal",
           none);
    follow(current, &C::NECurrentFirmwareProgramChangedSignal, "current", "NECurrentFirmwareProgramChangedSignal",
           none);
    follow(current, &C::NECurrentHumidifierValuesChangedSignal, "current", "NECurrentHumidifierValuesChangedSignal",
           [](double temperature, double humidity) {
               return QJsonObject{{QStringLiteral("temperature"), temperature}, {QStringLiteral("humidity"), humidity}};
           });
    follow(current, &C::NECurrentGearACMotorValuesChangedSignal, "current", "NECurrentGearACMotorValuesChangedSignal",
           [](double speed, double currentValue) {
               return QJsonObject{{QStringLiteral("pumpMotorSpeed"), speed},
                                  {QStringLiteral("inverterCurrent"), currentValue}};
           });
    follow(current, &C::NECurrentScaleWeightChangedSignal, "current", "NECurrentScaleWeightChangedSignal", none);
    follow(current, &C::NEUSSCleaningStatusChangedSignal, "current", "NEUSSCleaningStatusChangedSignal", none);
    follow(current, &C::NESharedConfigurationChanged, "current", "NESharedConfigurationChanged", none);
    follow(current, &C::NESharedDefaultCalibrationProfilesChanged, "current",
           "NESharedDefaultCalibrationProfilesChanged", none);
    follow(current, &C::NESharedCustomCalibrationProfilesChanged, "current",
           "NESharedCustomCalibrationProfilesChanged", none);
}

void WatchCommand::print(const char *source, const QString &name, const QJsonObject &details)
{
    if (m_json) {
        QJsonObject line{{QStringLiteral("time"), cli::isoTime()},
                         {QStringLiteral("source"), QLatin1String(source)},
                         {QStringLiteral("signal"), name}};
        for (auto it = details.begin(); it != details.end(); ++it)
            line.insert(it.key(), it.value());
        cli::printJson(line);
        return;
    }
    const QString text = textOf(details);
    cli::printLine(QStringLiteral("%1 %2 %3%4").arg(cli::clockTime(), QLatin1String(source), name,
                                                    text.isEmpty() ? QString() : QLatin1Char(' ') + text));
}

void WatchCommand::printEvent(const QString &event, const QJsonObject &details)
{
    if (m_json) {
        QJsonObject line{{QStringLiteral("time"), cli::isoTime()}, {QStringLiteral("event"), event}};
        for (auto it = details.begin(); it != details.end(); ++it)
            line.insert(it.key(), it.value());
        cli::printJson(line);
        return;
    }
    QString text = details.value(QStringLiteral("text")).toString();
    if (text.isEmpty())
        text = textOf(details);
    cli::printLine(QStringLiteral("%1 %2%3").arg(cli::clockTime(), event,
                                                 text.isEmpty() ? QString() : QLatin1Char(' ') + text));
}

QJsonObject WatchCommand::machineDetails(int driverID, const MachineID &machine) const
{
    return QJsonObject{{QStringLiteral("driver"), driverID}, {QStringLiteral("machine"), machineObject(machine)}};
}

QJsonObject WatchCommand::errorDetails(int driverID, const MachineID &machine, bool changed) const
{
    QJsonObject details = machineDetails(driverID, machine);
    details.insert(QStringLiteral("changed"), changed);
    QJsonArray codes;
    for (const FW_Error &error : AXOCommData::instance()->getErrorList(driverID, machine))
        codes.append(error.errorCode());
    details.insert(QStringLiteral("errors"), codes);
    return details;
}

QJsonObject WatchCommand::statusDetails(int driverID, const MachineID &machine) const
{
    QJsonObject details = machineDetails(driverID, machine);
    const std::unique_ptr<MachineDriverStatusAnswer> status =
        AXOCommData::instance()->currentMachineDriverStatus(driverID, machine);
    if (!status)
        return details;
    details.insert(QStringLiteral("active"), status->isActiveMachine());
    if (const MachineStatusAnswer *own = status->machineStatusAnswer())
        details.insert(QStringLiteral("state"), own->stateText());
    return details;
}

QJsonObject WatchCommand::activeDetails(int driverID) const
{
    QJsonArray active;
    for (const MachineID &machine : AXOCommData::instance()->getActiveMachineIDs(driverID, MachineID::AllTypes))
        active.append(QStringLiteral("%1:%2").arg(typeName(machine)).arg(machine.machineNumber));
    return QJsonObject{{QStringLiteral("driver"), driverID}, {QStringLiteral("active"), active}};
}
