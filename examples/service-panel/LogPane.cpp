#include "LogPane.h"

#include "MachineTreeModel.h"

#include <QtCore/QTime>

LogPane::LogPane(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setMaximumBlockCount(5000);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    setFont(mono);
}

void LogPane::note(const QString &text)
{
    m_lines << text;
    appendPlainText(QStringLiteral("%1  %2").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")), text));
}

void LogPane::commandSent(const QString &name, const MachineID &machine)
{
    note(tr("%1 on %2: sent").arg(name, MachineTreeModel::machineName(machine)));
}

QString LogPane::outcomeText(const NECommand &command)
{
    if (command.isDoneSuccessfully())
        return tr("done");
    if (command.hasBeenRefused())
        return tr("refused");
    if (command.hasBeenInterrupted())
        return tr("interrupted");
    if (command.hasExecutionErrors())
        return tr("failed");
    return CmdStatus::getDescription(command.executionStatus().status());
}

void LogPane::commandFinished(const NECommand &command)
{
    note(tr("%1 on %2: %3")
             .arg(command.command(), MachineTreeModel::machineName(command.machineID()), outcomeText(command)));
    for (const FW_Error &error : command.errors())
        note(tr("    error %1: %2").arg(error.errorCode(), error.errorMsg()));
}

void LogPane::taskCompleted(AXOCommManager::CommTasks task, bool result, AXOCommManager::CommMgsID message)
{
    QString line = tr("%1: %2").arg(AXOCommManager::CommTaskStr(task), result ? tr("done") : tr("FAILED"));
    if (message != AXOCommManager::General)
        line += QStringLiteral(" (%1)").arg(AXOCommManager::CommMgsIDStr(message));
    note(line);
}

QStringList LogPane::lines() const
{
    return m_lines;
}
