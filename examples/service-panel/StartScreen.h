#ifndef STARTSCREEN_H
#define STARTSCREEN_H

#include "ConnectRequest.h"

#include <AXOComm/AXOComm.h>

#include <QtWidgets/QWidget>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

//! The start of a driver as it happens: one row per phase with its outcome
//! ("running", "done", "FAILED") and the detail it ended with, then the
//! result of the whole start and why it failed.
class StartScreen : public QWidget
{
    Q_OBJECT

public:
    explicit StartScreen(QWidget *parent = nullptr);

    //! A new start: clears the phases.
    void begin(const ConnectRequest &request);
    void taskStarted(AXOCommManager::CommTasks task);
    void taskCompleted(AXOCommManager::CommTasks task, bool result, AXOCommManager::CommMgsID message);
    //! The start ended; errors are the driver's start errors.
    void finish(bool ok, const FW_ErrorList &errors);
    //! The driver was closed.
    void showStopped();

    //! "Phase: outcome (detail)" per row, for the log and the tests.
    QStringList phaseLines() const;

signals:
    void continueRequested();
    void connectRequested();

private:
    QTreeWidgetItem *rowOf(AXOCommManager::CommTasks task, bool create);

    QLabel *m_title = nullptr;
    QTreeWidget *m_phases = nullptr;
    QLabel *m_result = nullptr;
    QPushButton *m_continue = nullptr;
    QPushButton *m_connect = nullptr;
};

#endif // STARTSCREEN_H
