// The service panel driven through its widgets, the way an operator uses it,
// against the simulated driver in this process: connect through the dialog
// and watch the start phases, find the machines, dispense a formula while
// its progress shows and stop it, see a refused formula's errors listed, and
// keep working while a start fails. Screenshots of the start screen and of a
// running dispense are saved in the working directory.

#include "CircuitView.h"
#include "ConnectDialog.h"
#include "DispensePanel.h"
#include "ErrorListView.h"
#include "FormulaText.h"
#include "LogPane.h"
#include "MachineTreeModel.h"
#include "MainWindow.h"
#include "PanelSession.h"
#include "StartScreen.h"

#include "SimDriver.h"
#include "SimScenario.h"

#include <QtCore/QDir>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtNetwork/QTcpServer>
#include <QtTest/QTest>
#include <QtWidgets/QAction>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QTableWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Generous: a sanitizer build on a busy machine is slow.
const int kLong = 30000;

bool waitFor(const std::function<bool()> &condition, int ms = kLong)
{
    return QTest::qWaitFor(condition, ms);
}

template<typename T>
T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

//! The rows under the driver: "Dispenser 1 (...)  [current]" | activity | status.
QStringList machineRows(const MachineTreeModel &model)
{
    QStringList rows;
    if (model.rowCount() == 0)
        return rows;
    const QStandardItem *driver = model.item(0);
    for (int i = 0; i < driver->rowCount(); ++i)
        rows << QStringLiteral("%1 | %2 | %3")
                    .arg(driver->child(i, MachineTreeModel::MachineColumn)->text(),
                         driver->child(i, MachineTreeModel::ActivityColumn)->text(),
                         driver->child(i, MachineTreeModel::StatusColumn)->text());
    return rows;
}

bool logHas(const LogPane &log, const QString &line)
{
    return log.lines().contains(line);
}

void saveScreenshot(QWidget *widget, const QString &name)
{
    const QImage image = widget->grab().toImage();
    const QString path = QDir::current().filePath(name);
    ASSERT_TRUE(image.save(path)) << qPrintable(path);
    const QImage saved(path);
    EXPECT_GE(saved.width(), 600) << qPrintable(name);
    EXPECT_GE(saved.height(), 400) << qPrintable(name);
    // Not a blank canvas: a readable panel has many distinct colours.
    QSet<QRgb> colours;
    for (int y = 0; y < saved.height(); y += 4)
        for (int x = 0; x < saved.width(); x += 4)
            colours.insert(saved.pixel(x, y));
    EXPECT_GT(colours.size(), 8) << qPrintable(name);
}

} // namespace

TEST(FormulaText, ParsesPairsAndRejectsWhatIsNotAFormula)
{
    Formula formula;
    QString error;
    ASSERT_TRUE(FormulaText::parse(QStringLiteral(" 1:2.5, 3:1.5  7:4;9:0.25 "), formula, &error)) << qPrintable(error);
    EXPECT_EQ(FormulaText::format(formula), QStringLiteral("1:2.5, 3:1.5, 7:4, 9:0.25"));
    // Four circuits at a time.
    ASSERT_TRUE(FormulaText::parse(QStringLiteral("1:1,2:1,3:1,4:1,5:1"), formula, &error));
    EXPECT_EQ(formula.channels().size(), 2);

    for (const char *bad : {"", "  ,", "1", "1:", ":2", "a:1", "1:b", "0:1", "-2:1", "1:0", "1:-3", "1:2:3", "1:1,1:2"}) {
        error.clear();
        EXPECT_FALSE(FormulaText::parse(QLatin1String(bad), formula, &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

class ServicePanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(settingsRoot.isValid());
        QDir(settingsRoot.path()).mkpath(QStringLiteral("wuser/CommonSettings"));
        QFile settings(settingsRoot.filePath(QStringLiteral("wuser/CommonSettings/commonSettings")));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\nAXOServiceUSEOPENSSL=false\nAXODriverIP=127.0.0.1\n");
        settings.close();
        qputenv(AXOClientSettings::RootEnvironmentVariable, settingsRoot.path().toUtf8());
        window.reset(new MainWindow);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override
    {
        window.reset(); // the session closes the driver
        AXOCommManager::drop();
        AXOCurrentCommData::drop();
        AXOCommData::drop();
        driver.reset();
        qunsetenv(AXOClientSettings::RootEnvironmentVariable);
    }

    void startSimulator()
    {
        QString error;
        const SimScenario scenario =
            SimScenario::fromFile(QStringLiteral(AXOSIM_SCENARIO_DIR "/hardware.json"), &error);
        ASSERT_TRUE(error.isEmpty()) << qPrintable(error);
        driver.reset(new SimDriver(scenario));
        ASSERT_TRUE(driver->start());
    }

    //! Fills the connect dialog the way an operator does and confirms it.
    //! The dialog is opened with the tool bar's action unless open says otherwise.
    void connectThroughDialog(int port, AXOCommData::CommLevel level, const std::function<void()> &open = {})
    {
        if (open)
            open();
        else
            window->findChild<QAction *>(QStringLiteral("connectAction"))->trigger();
        ConnectDialog *dialog = nullptr;
        ASSERT_TRUE(waitFor([&] {
            for (ConnectDialog *candidate : window->findChildren<ConnectDialog *>())
                if (candidate->isVisible())
                    dialog = candidate;
            return dialog != nullptr;
        }));
        EXPECT_EQ(child<QLabel>(dialog, "tls")->text(), QStringLiteral("plain HTTP"));
        child<QLineEdit>(dialog, "address")->setText(QStringLiteral("127.0.0.1"));
        child<QSpinBox>(dialog, "port")->setValue(port);
        QComboBox *levels = child<QComboBox>(dialog, "level");
        levels->setCurrentIndex(levels->findData(int(level)));
        QPushButton *ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        ASSERT_TRUE(ok->isEnabled());
        QTest::mouseClick(ok, Qt::LeftButton);
    }

    void connectAndContinue()
    {
        startSimulator();
        connectThroughDialog(driver->port(), AXOCommData::CommLevel2);
        ASSERT_TRUE(waitFor([&] { return window->session()->state() == PanelSession::Started; }))
            << qPrintable(window->startScreen()->phaseLines().join(QLatin1Char('\n')));
        QPushButton *next = child<QPushButton>(window->startScreen(), "continueButton");
        ASSERT_TRUE(waitFor([&] { return next->isEnabled(); }));
        QTest::mouseClick(next, Qt::LeftButton);
        ASSERT_TRUE(window->showsPanel());
        // As the operator would: until the buttons come on.
        DispensePanel *panel = window->dispensePanel();
        ASSERT_TRUE(waitFor([&] { return child<QPushButton>(panel, "dispenseButton")->isEnabled(); }));
        ASSERT_EQ(panel->targetDispenser(), 1);
    }

    QTemporaryDir settingsRoot;
    std::unique_ptr<SimDriver> driver;
    std::unique_ptr<MainWindow> window;
};

TEST_F(ServicePanelTest, ConnectsThenDispensesWithProgressAndStops)
{
    startSimulator();
    connectThroughDialog(driver->port(), AXOCommData::CommLevel2);

    // The start screen lists each phase with its outcome as it ends.
    StartScreen *start = window->startScreen();
    const QStringList phases{QStringLiteral("Communication init: done"), QStringLiteral("Calibration profiles load: done"),
                             QStringLiteral("Configuration load: done"), QStringLiteral("Communication start: done")};
    ASSERT_TRUE(waitFor([&] { return start->phaseLines() == phases; }))
        << qPrintable(start->phaseLines().join(QLatin1Char('\n')));
    QPushButton *next = child<QPushButton>(start, "continueButton");
    ASSERT_TRUE(waitFor([&] { return next->isEnabled(); }));
    EXPECT_TRUE(child<QLabel>(start, "startResult")->text().startsWith(QStringLiteral("The driver is started.")));
    EXPECT_FALSE(window->showsPanel());
    saveScreenshot(window.get(), QStringLiteral("service-panel-start.png"));

    QTest::mouseClick(next, Qt::LeftButton);
    ASSERT_TRUE(window->showsPanel());

    // The machines of the scenario with their activity; the current one marked.
    MachineTreeModel *machines = window->machineModel();
    ASSERT_TRUE(waitFor([&] {
        const QStringList rows = machineRows(*machines);
        return rows.size() >= 2 && rows.first().contains(QStringLiteral("[current]"))
            && rows.first().contains(QStringLiteral("| active |"));
    })) << qPrintable(machineRows(*machines).join(QLatin1Char('\n')));
    EXPECT_TRUE(machineRows(*machines).first().startsWith(QStringLiteral("Dispenser 1")));
    EXPECT_TRUE(machines->item(0)->text().startsWith(QStringLiteral("Driver ")));

    // The current dispenser's circuits with their levels.
    CircuitView *circuits = window->circuitView();
    ASSERT_TRUE(waitFor([&] { return circuits->rowCount() >= 8 && circuits->levelOf(1) == 2000.0; }))
        << circuits->rowCount() << " " << circuits->levelOf(1);

    // A formula of one channel that takes 10 s at 2 cc/s.
    DispensePanel *panel = window->dispensePanel();
    ASSERT_TRUE(waitFor([&] { return child<QPushButton>(panel, "dispenseButton")->isEnabled(); }));
    child<QLineEdit>(panel, "formula")->setText(QStringLiteral("1:20, 3:10, 7:16"));
    QTest::mouseClick(child<QPushButton>(panel, "dispenseButton"), Qt::LeftButton);
    QProgressBar *progress = child<QProgressBar>(panel, "dispenseProgress");
    QTableWidget *perCircuit = child<QTableWidget>(panel, "circuitProgress");
    ASSERT_EQ(perCircuit->rowCount(), 3);
    ASSERT_TRUE(waitFor([&] {
        return progress->value() > 0 && perCircuit->item(0, DispensePanel::StateColumn)->text() == QStringLiteral("dosing");
    })) << progress->value();
    EXPECT_TRUE(logHas(*window->logPane(), QStringLiteral("TINT on Dispenser 1: sent")));
    EXPECT_FALSE(child<QPushButton>(panel, "dispenseButton")->isEnabled());
    // Let the bar move a little for the picture.
    waitFor([&] { return progress->value() >= 10; }, 5000);
    saveScreenshot(window.get(), QStringLiteral("service-panel-dispense.png"));

    QTest::mouseClick(child<QPushButton>(panel, "stopButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return logHas(*window->logPane(), QStringLiteral("STOP on Dispenser 1: done")); }))
        << qPrintable(window->logPane()->lines().join(QLatin1Char('\n')));
    ASSERT_TRUE(waitFor([&] { return !panel->isDispensing(); }));
    const QString tintEnd = window->logPane()->lines().filter(QStringLiteral("TINT on Dispenser 1: ")).last();
    EXPECT_NE(tintEnd, QStringLiteral("TINT on Dispenser 1: done")) << qPrintable(tintEnd);
    EXPECT_NE(tintEnd, QStringLiteral("TINT on Dispenser 1: sent")) << qPrintable(tintEnd);
    EXPECT_LT(progress->value(), 100);
    // What was dosed before the stop comes off the canister.
    EXPECT_TRUE(waitFor([&] { return circuits->levelOf(1) < 2000.0 && circuits->levelOf(1) > 1980.0; }))
        << circuits->levelOf(1);
    EXPECT_TRUE(child<QPushButton>(panel, "dispenseButton")->isEnabled());
}

TEST_F(ServicePanelTest, RefusedFormulaAndResetShowTheirOutcome)
{
    ASSERT_NO_FATAL_FAILURE(connectAndContinue());
    DispensePanel *panel = window->dispensePanel();
    LogPane *log = window->logPane();

    // Not a formula: nothing is sent.
    child<QLineEdit>(panel, "formula")->setText(QStringLiteral("1:2.5, x"));
    QTest::mouseClick(child<QPushButton>(panel, "dispenseButton"), Qt::LeftButton);
    EXPECT_TRUE(child<QLabel>(panel, "dispenseStatus")->text().startsWith(QStringLiteral("Not a formula")));
    EXPECT_TRUE(log->lines().filter(QStringLiteral("TINT on")).isEmpty());

    // A circuit the dispenser does not have: the driver refuses the formula,
    // the log and the error list show its error.
    child<QLineEdit>(panel, "formula")->setText(QStringLiteral("99:1"));
    QTest::mouseClick(child<QPushButton>(panel, "dispenseButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !panel->isDispensing(); }));
    ASSERT_TRUE(waitFor([&] { return !log->lines().filter(QStringLiteral("    error TE10004")).isEmpty(); }))
        << qPrintable(log->lines().join(QLatin1Char('\n')));
    EXPECT_TRUE(waitFor([&] { return window->errorList()->codes().contains(QStringLiteral("TE10004")); }))
        << qPrintable(window->errorList()->codes().join(QLatin1Char(' ')));
    EXPECT_TRUE(child<QLabel>(panel, "dispenseStatus")->text().contains(QStringLiteral("TE10004")));

    QTest::mouseClick(child<QPushButton>(panel, "resetButton"), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return logHas(*log, QStringLiteral("RESET on Dispenser 1: done")); }))
        << qPrintable(log->lines().join(QLatin1Char('\n')));

    // Disconnecting closes the driver and returns to the start screen.
    window->findChild<QAction *>(QStringLiteral("disconnectAction"))->trigger();
    ASSERT_TRUE(waitFor([&] { return window->session()->state() == PanelSession::Idle; }));
    EXPECT_FALSE(window->showsPanel());
    EXPECT_EQ(window->machineModel()->rowCount(), 0);
    EXPECT_TRUE(AXOCommData::instance()->getDriverIDs().isEmpty());
}

TEST_F(ServicePanelTest, StartRunsBesideTheEventLoop)
{
    // A slow driver: every answer takes a while, so the start lasts seconds.
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    driver->simulator().setResponseDelay(150);

    int ticks = 0;
    bool sawRunning = false;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        for (const QString &line : window->startScreen()->phaseLines())
            sawRunning = sawRunning || line.endsWith(QStringLiteral(": running..."));
    });
    ticker.start(20);
    ConnectRequest request;
    request.port = driver->port();
    request.level = AXOCommData::CommLevel1;
    ASSERT_TRUE(window->connectTo(request));
    EXPECT_EQ(window->session()->state(), PanelSession::Starting);
    // A second start while one runs is refused.
    EXPECT_FALSE(window->session()->start(request));
    ASSERT_TRUE(waitFor([&] { return window->session()->state() != PanelSession::Starting; }));
    ticker.stop();
    driver->simulator().setResponseDelay(0);
    EXPECT_EQ(window->session()->state(), PanelSession::Started);
    // The window went on while the phases ran, and showed them running.
    EXPECT_GT(ticks, 10);
    EXPECT_TRUE(sawRunning);
    EXPECT_EQ(window->startScreen()->phaseLines(),
              (QStringList{QStringLiteral("Communication init: done"), QStringLiteral("Communication start: done")}));
}

TEST_F(ServicePanelTest, DispenserIsOfferedOnceTheLibraryTalksToIt)
{
    // The start chooses Dispenser 1 before the driver's first active-machine
    // answer (held back here) gives the dispenser its command threads: a
    // formula sent in between would not be taken.
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    driver->simulator().setMethodDelay("AXO.notifyChanged", 1500);
    ConnectRequest request;
    request.port = driver->port();
    request.level = AXOCommData::CommLevel1;
    ASSERT_TRUE(window->connectTo(request));
    ASSERT_TRUE(waitFor([&] { return window->session()->state() == PanelSession::Started; }));
    DispensePanel *panel = window->dispensePanel();
    EXPECT_EQ(AXOCurrentCommData::instance()->currentDispenserID(), 1);
    EXPECT_EQ(panel->targetDispenser(), 0);
    EXPECT_FALSE(child<QPushButton>(panel, "dispenseButton")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(panel, "resetButton")->isEnabled());

    ASSERT_TRUE(waitFor([&] { return child<QPushButton>(panel, "dispenseButton")->isEnabled(); }));
    EXPECT_EQ(panel->targetDispenser(), 1);
    driver->simulator().setMethodDelay("AXO.notifyChanged", -1);
}

TEST_F(ServicePanelTest, FailedStartIsShownAndCanBeRetried)
{
    // A port with no driver on it nor on the ports around it, where a local
    // driver is also looked for; below the range of ports the system hands
    // out, so that no other test's driver turns up there meanwhile.
    int port = 0;
    for (int candidate = 20000 + int(QCoreApplication::applicationPid() % 97) * 100; candidate < 32000 && !port;
         candidate += 10) {
        bool free = true;
        for (int p = candidate - 5; p <= candidate + 4 && free; ++p) {
            QTcpServer server;
            free = server.listen(QHostAddress::LocalHost, quint16(p));
        }
        if (free)
            port = candidate;
    }
    ASSERT_GT(port, 0);

    ConnectRequest request;
    request.port = port;
    request.level = AXOCommData::CommLevel1;
    ASSERT_TRUE(window->connectTo(request));
    ASSERT_TRUE(waitFor([&] { return window->session()->state() == PanelSession::Failed; }));

    StartScreen *start = window->startScreen();
    EXPECT_EQ(start->phaseLines(), QStringList{QStringLiteral("Communication init: FAILED")});
    EXPECT_TRUE(child<QLabel>(start, "startResult")->text().startsWith(QStringLiteral("The start failed.")));
    EXPECT_FALSE(child<QPushButton>(start, "continueButton")->isEnabled());
    EXPECT_TRUE(logHas(*window->logPane(), QStringLiteral("Communication init: FAILED")));
    EXPECT_EQ(window->dispensePanel()->targetDispenser(), 0);

    // Connect again, to a driver that is there now.
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    QPushButton *again = child<QPushButton>(start, "connectButton");
    ASSERT_TRUE(again->isEnabled());
    ASSERT_NO_FATAL_FAILURE(connectThroughDialog(driver->port(), AXOCommData::CommLevel1,
                                                 [&] { QTest::mouseClick(again, Qt::LeftButton); }));
    ASSERT_TRUE(waitFor([&] { return window->session()->state() == PanelSession::Started; }))
        << qPrintable(start->phaseLines().join(QLatin1Char('\n')));
    EXPECT_TRUE(child<QPushButton>(start, "continueButton")->isEnabled());
}

TEST_F(ServicePanelTest, StartErrorsAreListedWithTheirCodes)
{
    // A client whose session secret the driver does not share: the driver
    // answers, the login fails.
    QFile settings(settingsRoot.filePath(QStringLiteral("wuser/CommonSettings/commonSettings")));
    ASSERT_TRUE(settings.open(QIODevice::Append));
    settings.write("AXOProtocolSecret=" + QByteArray(64, '7') + "\n");
    settings.close();
    ASSERT_NO_FATAL_FAILURE(startSimulator());

    ConnectRequest request;
    request.port = driver->port();
    ASSERT_TRUE(window->connectTo(request));
    ASSERT_TRUE(waitFor([&] { return window->session()->state() == PanelSession::Failed; }));
    StartScreen *start = window->startScreen();
    EXPECT_EQ(start->phaseLines(), QStringList{QStringLiteral("Communication init: FAILED")});
    EXPECT_TRUE(child<QLabel>(start, "startResult")->text().contains(QStringLiteral("TE00304")))
        << qPrintable(child<QLabel>(start, "startResult")->text());
    EXPECT_TRUE(waitFor([&] { return window->errorList()->codes().contains(QStringLiteral("TE00304")); }))
        << qPrintable(window->errorList()->codes().join(QLatin1Char(' ')));
    const QTreeWidgetItem *row = window->errorList()->topLevelItem(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(ErrorListView::MachineColumn), QStringLiteral("Driver (dispenser)"));
}

// Qt's offscreen platform never deletes its screen (the screen, its platform
// screen and the objects hanging on them form a cycle that outlives the
// application). Leak checking in the sanitizer build reads these; the two
// Qt Core entries only ever match blocks that Qt allocated for an object,
// never the object itself. Now and then, when the start refused at the login
// runs alone, OpenSSL blocks that the library allocated are
// still unreferenced at exit; that belongs to the library's own suites, not
// to the panel's, and is left out here too.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\n"
           "leak:QScreen::QScreen\n"
           "leak:QPlatformScreen::QPlatformScreen\n"
           "leak:QWindowSystemInterface::handleScreenAdded\n"
           "leak:QObject::QObject\n"
           "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n"
           "leak:libcrypto.so\n";
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (the build does it) needs no application.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    // Offscreen unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
