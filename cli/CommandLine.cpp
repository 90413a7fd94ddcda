#include "CommandLine.h"

#include "CliSupport.h"

#include <cstdio>

CommandLine::CommandLine(const QString &synopsis, const QString &description)
    : m_synopsis(synopsis), m_description(description)
{
    m_parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    m_parser.addHelpOption();
}

void CommandLine::addOption(const QString &name, const QString &valueName, const QString &description)
{
    m_parser.addOption(QCommandLineOption(name, description, valueName));
}

void CommandLine::addFlag(const QString &name, const QString &description)
{
    m_parser.addOption(QCommandLineOption(name, description));
}

bool CommandLine::parse(const QStringList &args, int minPositional, int maxPositional, int *status)
{
    if (!m_parser.parse(QStringList{QStringLiteral("axocomm")} + args)) {
        *status = usageError(m_parser.errorText());
        return false;
    }
    if (m_parser.isSet(QStringLiteral("help")) || m_parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(usage().toLocal8Bit().constData(), stdout);
        *status = cli::ExitOk;
        return false;
    }
    const int count = m_parser.positionalArguments().size();
    if (count < minPositional || count > maxPositional) {
        *status = usageError(count < minPositional ? QStringLiteral("missing arguments")
                                                   : QStringLiteral("too many arguments: %1")
                                                         .arg(m_parser.positionalArguments().join(QLatin1Char(' '))));
        return false;
    }
    return true;
}

bool CommandLine::endpoint(int index, QString *host, int *port)
{
    const QString text = m_parser.positionalArguments().value(index);
    if (cli::parseEndpoint(text, host, port))
        return true;
    usageError(QStringLiteral("not an IPv4 address and port: %1").arg(text));
    return false;
}

bool CommandLine::intValue(const QString &name, int min, int max, int fallback, int *out)
{
    if (!m_parser.isSet(name)) {
        *out = fallback;
        return true;
    }
    bool ok = false;
    const int number = m_parser.value(name).toInt(&ok);
    if (ok && number >= min && number <= max) {
        *out = number;
        return true;
    }
    usageError(QStringLiteral("--%1 takes a whole number from %2 to %3, not %4")
                   .arg(name)
                   .arg(min)
                   .arg(max)
                   .arg(m_parser.value(name)));
    return false;
}

int CommandLine::usageError(const QString &message) const
{
    cli::printError(message);
    std::fputs(usage().toLocal8Bit().constData(), stderr);
    return cli::ExitUsage;
}

QString CommandLine::usage() const
{
    // The parser's own help after its "Usage:" line and blank lines: the options.
    const QString help = m_parser.helpText();
    const int options = help.indexOf(QLatin1String("Options:"));
    return QStringLiteral("usage: axocomm %1\n\n%2\n\n%3").arg(m_synopsis, m_description,
                                                            options >= 0 ? help.mid(options) : QString());
}
