#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <QtCore/QCommandLineParser>
#include <QtCore/QString>
#include <QtCore/QStringList>

//! The command line of one subcommand: its synopsis, its options (on a
//! QCommandLineParser) and the checks every subcommand makes. A bad
//! command line prints the reason and the subcommand's usage on stderr;
//! --help prints the usage on stdout.
class CommandLine
{
public:
    //! synopsis: e.g. "ping HOST:PORT [--timeout SECONDS]"; description:
    //! what the subcommand does, a few lines.
    CommandLine(const QString &synopsis, const QString &description);

    void addOption(const QString &name, const QString &valueName, const QString &description);
    void addFlag(const QString &name, const QString &description);

    //! Parses the arguments after the subcommand's name. False when the
    //! caller is to end with *status: 0 after --help, 2 after bad usage
    //! (including a positional count outside minPositional..maxPositional).
    bool parse(const QStringList &args, int minPositional, int maxPositional, int *status);
    //! Reads positional argument index as HOST:PORT; false after printing
    //! the usage error.
    bool endpoint(int index, QString *host, int *port);

    bool isSet(const QString &name) const { return m_parser.isSet(name); }
    QString value(const QString &name) const { return m_parser.value(name); }
    QStringList values(const QString &name) const { return m_parser.values(name); }
    QStringList positional() const { return m_parser.positionalArguments(); }

    //! A whole number of the option in min..max (or fallback when it is
    //! not given); false after printing the usage error.
    bool intValue(const QString &name, int min, int max, int fallback, int *out);
    //! Prints the message and the usage on stderr; returns 2.
    int usageError(const QString &message) const;
    //! "usage: axocomm SYNOPSIS", the description and the options.
    QString usage() const;

private:
    QString m_synopsis;
    QString m_description;
    QCommandLineParser m_parser;
};

#endif // COMMANDLINE_H
