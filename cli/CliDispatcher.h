#ifndef CLIDISPATCHER_H
#define CLIDISPATCHER_H

#include <QtCore/QStringList>

//! Picks the subcommand named by the first argument and runs it with the
//! rest; the overall usage for no, an unknown or a help argument.
class CliDispatcher
{
public:
    //! The exit status of the subcommand; 2 for bad usage, 0 for --help.
    int run(const QStringList &args);

    //! The synopsis of every subcommand.
    static QString usage();
};

#endif // CLIDISPATCHER_H
