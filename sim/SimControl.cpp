#include "SimControl.h"

#include "SimDriverModel.h"

namespace {

// "2" or "2:mixer".
bool parseMachine(const QString &word, MachineID *id)
{
    const int colon = word.indexOf(QLatin1Char(':'));
    bool ok = false;
    id->machineNumber = word.left(colon < 0 ? word.size() : colon).toInt(&ok);
    id->machineType = colon < 0 ? 0 : SimEvent::machineTypeOfName(word.mid(colon + 1));
    return ok && id->machineNumber >= 1 && (colon < 0 || id->machineType != 0);
}

bool parseNumber(const QString &word, double *value)
{
    bool ok = false;
    *value = word.toDouble(&ok);
    return ok && qIsFinite(*value);
}

struct Usage
{
    const char *word;
    int minWords;
    int maxWords;
    const char *text;
};

const Usage kUsages[] = {
    {"error", 4, 5, "error MACHINE CODE \"MESSAGE\" [TYPE]   raise an error (type 0-4, default 2)"},
    {"clear", 2, 3, "clear MACHINE [CODE]                  clear its errors, or those of one code"},
    {"inactive", 2, 2, "inactive MACHINE                      take it out of service"},
    {"active", 2, 2, "active MACHINE                        put it back in service"},
    {"disconnect", 2, 2, "disconnect MACHINE                    the driver loses its port"},
    {"connect", 2, 2, "connect MACHINE                       the driver reaches it again"},
    {"door", 3, 3, "door MIXER open|closed                open or close a mixer's door"},
    {"level", 4, 4, "level DISPENSER POSITION CC           set a canister level"},
    {"fw", 3, 3, "fw MACHINE X.Y.Z                      change the firmware version"},
    {"sensor", 4, 4, "sensor DISPENSER humidity|temperature|can VALUE   set a sensor reading"},
    {"reconfigure", 2, 2, "reconfigure MACHINE                   its configuration is saved anew elsewhere"},
};

// The event of a line whose word count fits its command.
SimEvent build(const QStringList &words, const MachineID &machine, QString *error)
{
    const QString &command = words.at(0);
    if (command == QLatin1String("reconfigure"))
        return SimEvent::reconfigure(machine);
    if (command == QLatin1String("error")) {
        int type = FW_Error::HwError;
        bool ok = true;
        if (words.size() == 5)
            type = words.at(4).toInt(&ok);
        if (!ok || type < FW_Error::GenericError || type > FW_Error::ConfError || words.at(2).isEmpty()) {
            *error = QStringLiteral("an error needs a code and a type of 0 to 4");
            return SimEvent();
        }
        return SimEvent::raiseError(machine, FW_Error(static_cast<FW_Error::ErrorType>(type), words.at(3), words.at(2)));
    }
    if (command == QLatin1String("clear"))
        return SimEvent::clearErrors(machine, words.size() == 3 ? words.at(2) : QString());
    if (command == QLatin1String("inactive") || command == QLatin1String("active"))
        return SimEvent::setActive(machine, command == QLatin1String("active"));
    if (command == QLatin1String("disconnect") || command == QLatin1String("connect"))
        return SimEvent::setConnected(machine, command == QLatin1String("connect"));
    if (command == QLatin1String("door")) {
        if (words.at(2) == QLatin1String("open") || words.at(2) == QLatin1String("closed"))
            return SimEvent::setDoor(machine, words.at(2) == QLatin1String("open"));
        *error = QStringLiteral("a door is open or closed");
        return SimEvent();
    }
    double value = 0.0;
    if (command == QLatin1String("level")) {
        bool ok = false;
        const int position = words.at(2).toInt(&ok);
        if (ok && position >= 1 && parseNumber(words.at(3), &value) && value >= 0.0)
            return SimEvent::setLevel(machine, position, value);
        *error = QStringLiteral("a level needs a position of at least 1 and a number of cc of at least 0");
        return SimEvent();
    }
    if (command == QLatin1String("fw")) {
        bool ok = false;
        const FW_Version version = SimEvent::parseVersion(words.at(2), &ok);
        if (ok)
            return SimEvent::setFirmware(machine, version);
        *error = QStringLiteral("a firmware version looks like 3.2.1");
        return SimEvent();
    }
    if (SimEvent::isSensorName(words.at(2)) && parseNumber(words.at(3), &value))
        return SimEvent::setSensor(machine, words.at(2), value);
    *error = QStringLiteral("a sensor is humidity, temperature or can, with a number");
    return SimEvent();
}

} // namespace

bool SimControl::split(const QString &line, QStringList *words)
{
    words->clear();
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted && c == QLatin1Char('\\') && i + 1 < line.size()) {
            word += line.at(++i);
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && c.isSpace()) {
            if (inWord)
                words->append(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words->append(word);
    return !quoted;
}

SimEvent SimControl::parse(const QString &line, QString *error)
{
    QStringList words;
    if (!split(line, &words)) {
        *error = QStringLiteral("a quote is not closed");
        return SimEvent();
    }
    for (const Usage &usage : kUsages) {
        if (words.isEmpty() || words.at(0) != QLatin1String(usage.word))
            continue;
        MachineID machine;
        if (words.size() < usage.minWords || words.size() > usage.maxWords || !parseMachine(words.at(1), &machine)) {
            *error = QStringLiteral("usage: ") + QString::fromLatin1(usage.text).section(QLatin1String("  "), 0, 0);
            return SimEvent();
        }
        error->clear();
        return build(words, machine, error);
    }
    *error = QStringLiteral("unknown command %1 (try help)").arg(words.value(0));
    return SimEvent();
}

QString SimControl::helpText()
{
    QStringList lines;
    for (const Usage &usage : kUsages)
        lines.append(QString::fromLatin1(usage.text));
    lines.append(QStringLiteral("MACHINE is a number, or number:type (dispenser, mixer, scale) when two share it"));
    return lines.join(QLatin1Char('\n'));
}

QString SimControl::handle(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
        return QString();
    if (trimmed == QLatin1String("help"))
        return helpText();
    QString error;
    const SimEvent event = parse(trimmed, &error);
    if (!event.isValid() || !m_model.apply(event, &error))
        return QStringLiteral("error: ") + error;
    return QStringLiteral("ok");
}
