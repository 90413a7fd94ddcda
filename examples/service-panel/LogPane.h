#ifndef LOGPANE_H
#define LOGPANE_H

#include <AXOComm/AXOComm.h>

#include <QtWidgets/QPlainTextEdit>

//! What happened, a line per event with the time of day: the start phases,
//! the commands sent with their outcome and errors, the panel's own notes.
class LogPane : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit LogPane(QWidget *parent = nullptr);

    void note(const QString &text);
    void commandSent(const QString &name, const MachineID &machine);
    //! "NAME on Machine n: outcome", then one line per error of the command.
    void commandFinished(const NECommand &command);
    void taskCompleted(AXOCommManager::CommTasks task, bool result, AXOCommManager::CommMgsID message);

    //! The lines so far, without their times.
    QStringList lines() const;
    //! "done", "refused", ... for a final command status.
    static QString outcomeText(const NECommand &command);

private:
    QStringList m_lines;
};

#endif // LOGPANE_H
