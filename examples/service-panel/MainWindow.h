#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "ConnectRequest.h"

#include <QtWidgets/QMainWindow>

class CircuitView;
class DispensePanel;
class ErrorListView;
class LogPane;
class MachineTreeModel;
class PanelSession;
class QAction;
class QLabel;
class QStackedWidget;
class QTreeView;
class StartScreen;

//! The service panel: the start screen while a driver starts, then the
//! panel with the machine tree, the dispensing commands, the circuits, the
//! error list and the log. It wires the session's signals to the widgets;
//! the widgets read the library themselves.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    PanelSession *session() const { return m_session; }
    StartScreen *startScreen() const { return m_startScreen; }
    DispensePanel *dispensePanel() const { return m_dispensePanel; }
    MachineTreeModel *machineModel() const { return m_machineModel; }
    ErrorListView *errorList() const { return m_errorList; }
    CircuitView *circuitView() const { return m_circuits; }
    LogPane *logPane() const { return m_log; }
    //! Whether the panel (not the start screen) is shown.
    bool showsPanel() const;

    void setDefaultRequest(const ConnectRequest &request) { m_defaultRequest = request; }
    //! Opens the connect dialog (without waiting for it).
    void openConnectDialog();
    //! Starts the driver without asking; false when one is started or starting.
    bool connectTo(const ConnectRequest &request);
    void showPanel();
    void showStartScreen();

private:
    QWidget *buildPanel();
    void buildActions();
    void wireSession();
    void onStartFinished(bool ok);
    void refreshMachines();
    void refreshLevels();
    void updateStatusBar();

    PanelSession *m_session = nullptr;
    ConnectRequest m_defaultRequest;
    //! A start asked for while the driver of a failed start was still closing.
    bool m_startAfterStop = false;
    QStackedWidget *m_stack = nullptr;
    StartScreen *m_startScreen = nullptr;
    MachineTreeModel *m_machineModel = nullptr;
    QTreeView *m_machineTree = nullptr;
    DispensePanel *m_dispensePanel = nullptr;
    CircuitView *m_circuits = nullptr;
    ErrorListView *m_errorList = nullptr;
    LogPane *m_log = nullptr;
    QLabel *m_statusLabel = nullptr;
    QAction *m_connectAction = nullptr;
    QAction *m_disconnectAction = nullptr;
    QAction *m_startScreenAction = nullptr;
};

#endif // MAINWINDOW_H
