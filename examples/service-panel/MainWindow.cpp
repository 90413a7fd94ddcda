#include "MainWindow.h"

#include "CircuitView.h"
#include "ConnectDialog.h"
#include "DispensePanel.h"
#include "ErrorListView.h"
#include "LogPane.h"
#include "MachineTreeModel.h"
#include "PanelSession.h"
#include "StartScreen.h"

#include <QtWidgets/QAction>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QStackedWidget>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QTreeView>
#include <QtWidgets/QVBoxLayout>

namespace {

QGroupBox *framed(const QString &title, QWidget *content, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(content);
    return box;
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), m_session(new PanelSession(this))
{
    setWindowTitle(tr("Service panel"));
    m_stack = new QStackedWidget(this);
    m_startScreen = new StartScreen(m_stack);
    m_startScreen->setObjectName(QStringLiteral("startScreen"));
    m_stack->addWidget(m_startScreen);
    m_stack->addWidget(buildPanel());
    setCentralWidget(m_stack);
    m_statusLabel = new QLabel(this);
    statusBar()->addWidget(m_statusLabel, 1);
    buildActions();
    wireSession();
    updateStatusBar();
    resize(1280, 800);
}

MainWindow::~MainWindow() = default;

QWidget *MainWindow::buildPanel()
{
    m_machineModel = new MachineTreeModel(this);
    m_machineTree = new QTreeView(this);
    m_machineTree->setObjectName(QStringLiteral("machineTree"));
    m_machineTree->setModel(m_machineModel);
    m_machineTree->header()->setSectionResizeMode(MachineTreeModel::MachineColumn, QHeaderView::ResizeToContents);
    m_machineTree->header()->setSectionResizeMode(MachineTreeModel::ActivityColumn, QHeaderView::ResizeToContents);
    m_machineTree->header()->setStretchLastSection(true);
    m_machineTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_dispensePanel = new DispensePanel(m_session, this);
    m_dispensePanel->setObjectName(QStringLiteral("dispensePanel"));
    m_circuits = new CircuitView(this);
    m_circuits->setObjectName(QStringLiteral("circuits"));
    m_errorList = new ErrorListView(this);
    m_errorList->setObjectName(QStringLiteral("errorList"));
    m_log = new LogPane(this);
    m_log->setObjectName(QStringLiteral("log"));

    auto *top = new QSplitter(Qt::Horizontal);
    top->addWidget(framed(tr("Drivers and machines"), m_machineTree, top));
    top->addWidget(framed(tr("Commands"), m_dispensePanel, top));
    top->addWidget(framed(tr("Circuits"), m_circuits, top));
    top->setSizes({620, 330, 330});
    auto *bottom = new QSplitter(Qt::Horizontal);
    bottom->addWidget(framed(tr("Errors"), m_errorList, bottom));
    bottom->addWidget(framed(tr("Log"), m_log, bottom));
    bottom->setSizes({500, 780});
    auto *panel = new QSplitter(Qt::Vertical);
    panel->setObjectName(QStringLiteral("panel"));
    panel->addWidget(top);
    panel->addWidget(bottom);
    panel->setSizes({480, 280});
    return panel;
}

void MainWindow::buildActions()
{
    QToolBar *bar = addToolBar(tr("Driver"));
    bar->setObjectName(QStringLiteral("driverToolBar"));
    bar->setMovable(false);
    m_connectAction = bar->addAction(tr("Connect..."), this, &MainWindow::openConnectDialog);
    m_connectAction->setObjectName(QStringLiteral("connectAction"));
    m_disconnectAction = bar->addAction(tr("Disconnect"), m_session, [this] { m_session->stop(); });
    m_disconnectAction->setObjectName(QStringLiteral("disconnectAction"));
    m_startScreenAction = bar->addAction(tr("Start phases"), this, [this] {
        showsPanel() ? showStartScreen() : showPanel();
    });
    m_startScreenAction->setObjectName(QStringLiteral("startScreenAction"));
    connect(m_startScreen, &StartScreen::continueRequested, this, &MainWindow::showPanel);
    connect(m_startScreen, &StartScreen::connectRequested, this, &MainWindow::openConnectDialog);
}

void MainWindow::wireSession()
{
    PanelSession *s = m_session;
    connect(s, &PanelSession::taskStarted, m_startScreen, &StartScreen::taskStarted);
    connect(s, &PanelSession::taskCompleted, m_startScreen, &StartScreen::taskCompleted);
    connect(s, &PanelSession::taskCompleted, m_log, &LogPane::taskCompleted);
    connect(s, &PanelSession::startFinished, this, &MainWindow::onStartFinished);
    connect(s, &PanelSession::message, m_log, &LogPane::note);
    connect(s, &PanelSession::commandSent, m_log, &LogPane::commandSent);
    connect(s, &PanelSession::commandFinished, m_log, &LogPane::commandFinished);
    connect(m_dispensePanel, &DispensePanel::problem, m_log, &LogPane::note);
    connect(s, &PanelSession::machinesChanged, this, &MainWindow::refreshMachines);
    connect(s, &PanelSession::driverStatusChanged, this, &MainWindow::refreshMachines);
    connect(s, &PanelSession::currentMachineChanged, this, [this] {
        refreshMachines();
        m_circuits->refresh();
        refreshLevels();
    });
    connect(s, &PanelSession::errorsChanged, m_errorList, &ErrorListView::refresh);
    connect(s, &PanelSession::configurationChanged, m_circuits, &CircuitView::refresh);
    connect(s, &PanelSession::levelsRead, m_circuits, &CircuitView::setLevels);
    connect(s, &PanelSession::stateChanged, this, &MainWindow::updateStatusBar);
    connect(s, &PanelSession::stopped, this, [this] {
        m_machineModel->setDriver(0, QString());
        m_errorList->setDriver(0);
        showStartScreen();
        if (m_startAfterStop) {
            m_startAfterStop = false;
            connectTo(m_defaultRequest);
            return;
        }
        m_startScreen->showStopped();
    });
}

bool MainWindow::showsPanel() const
{
    return m_stack->currentIndex() == 1;
}

void MainWindow::showPanel()
{
    m_stack->setCurrentIndex(1);
    m_startScreenAction->setText(tr("Start phases"));
}

void MainWindow::showStartScreen()
{
    m_stack->setCurrentIndex(0);
    m_startScreenAction->setText(tr("Panel"));
}

void MainWindow::openConnectDialog()
{
    if (m_session->state() != PanelSession::Idle && m_session->state() != PanelSession::Failed)
        return;
    auto *dialog = new ConnectDialog(m_defaultRequest, this);
    dialog->setObjectName(QStringLiteral("connectDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { connectTo(dialog->request()); });
    dialog->open();
}

bool MainWindow::connectTo(const ConnectRequest &request)
{
    m_defaultRequest = request;
    // A failed start leaves its driver registered until it is stopped: the
    // new start follows the stop.
    if (m_session->state() == PanelSession::Failed) {
        m_startAfterStop = true;
        return m_session->stop();
    }
    if (!m_session->start(request))
        return false;
    // The phases arrive queued, after this.
    showStartScreen();
    m_startScreen->begin(m_session->request());
    m_machineModel->setDriver(m_session->driverID(), request.endpoint());
    m_errorList->setDriver(m_session->driverID());
    return true;
}

void MainWindow::onStartFinished(bool ok)
{
    const FW_ErrorList errors =
        AXOCommData::instance()->getErrorList(m_session->driverID(), MachineID(0, MachineID::Dispenser));
    m_startScreen->finish(ok, errors);
    refreshMachines();
    m_circuits->refresh();
    refreshLevels();
    m_dispensePanel->updateActions();
}

void MainWindow::refreshLevels()
{
    // The configuration does not carry the canister levels; the driver is
    // asked for them.
    m_session->refreshLevels(AXOCurrentCommData::instance()->currentDispenserID());
}

void MainWindow::refreshMachines()
{
    // Right after the start the dispenser's own threads may not run yet and
    // the first read of its levels fail: read them until they came once.
    const int dispenser = AXOCurrentCommData::instance()->currentDispenserID();
    if (m_session->isStarted() && !m_circuits->hasLevelsFor(dispenser))
        refreshLevels();
    m_machineModel->refresh();
    m_machineTree->expandAll();
    m_dispensePanel->updateActions();
    updateStatusBar();
}

void MainWindow::updateStatusBar()
{
    const PanelSession::State state = m_session->state();
    m_connectAction->setEnabled(state == PanelSession::Idle || state == PanelSession::Failed);
    m_disconnectAction->setEnabled(state == PanelSession::Started || state == PanelSession::Failed);
    if (state == PanelSession::Idle) {
        m_statusLabel->setText(tr("Not connected"));
        return;
    }
    const MachineID current = AXOCurrentCommData::instance()->currentMachineID();
    const QString states[] = {tr("not connected"), tr("starting"), tr("started"), tr("start failed"), tr("stopping")};
    m_statusLabel->setText(tr("Driver %1 at %2: %3; current machine: %4")
                               .arg(m_session->driverID())
                               .arg(m_session->request().endpoint(), states[state],
                                    current.machineNumber > 0 ? MachineTreeModel::machineName(current) : tr("none")));
}
