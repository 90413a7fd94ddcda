#include "StartScreen.h"

#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTreeWidget>
#include <QtWidgets/QVBoxLayout>

namespace {

enum Column { PhaseColumn, OutcomeColumn, DetailColumn };
const int kTaskRole = Qt::UserRole + 1;

} // namespace

StartScreen::StartScreen(QWidget *parent) : QWidget(parent)
{
    m_title = new QLabel(tr("Not connected. Choose Connect to start a driver."), this);
    m_title->setObjectName(QStringLiteral("startTitle"));
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_title->setWordWrap(true);

    m_phases = new QTreeWidget(this);
    m_phases->setObjectName(QStringLiteral("startPhases"));
    m_phases->setHeaderLabels({tr("Phase"), tr("Outcome"), tr("Detail")});
    m_phases->setRootIsDecorated(false);
    m_phases->header()->setSectionResizeMode(PhaseColumn, QHeaderView::ResizeToContents);
    m_phases->header()->setSectionResizeMode(OutcomeColumn, QHeaderView::ResizeToContents);
    m_phases->header()->setStretchLastSection(true);

    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("startResult"));
    m_result->setWordWrap(true);

    m_continue = new QPushButton(tr("Continue to the panel"), this);
    m_continue->setObjectName(QStringLiteral("continueButton"));
    m_continue->setEnabled(false);
    m_connect = new QPushButton(tr("Connect..."), this);
    m_connect->setObjectName(QStringLiteral("connectButton"));
    connect(m_continue, &QPushButton::clicked, this, &StartScreen::continueRequested);
    connect(m_connect, &QPushButton::clicked, this, &StartScreen::connectRequested);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_connect);
    buttons->addWidget(m_continue);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_phases, 1);
    layout->addWidget(m_result);
    layout->addLayout(buttons);
}

void StartScreen::begin(const ConnectRequest &request)
{
    m_phases->clear();
    m_title->setText(tr("Starting the driver at %1 (%2), communication level %3")
                         .arg(request.endpoint(), request.tls ? tr("TLS") : tr("plain HTTP"))
                         .arg(int(request.level)));
    m_result->setText(tr("Starting..."));
    m_result->setStyleSheet(QString());
    m_continue->setEnabled(false);
    m_connect->setEnabled(false);
}

QTreeWidgetItem *StartScreen::rowOf(AXOCommManager::CommTasks task, bool create)
{
    for (int i = 0; i < m_phases->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_phases->topLevelItem(i);
        if (item->data(PhaseColumn, kTaskRole).toInt() == int(task))
            return item;
    }
    if (!create)
        return nullptr;
    auto *item = new QTreeWidgetItem(m_phases);
    item->setText(PhaseColumn, AXOCommManager::CommTaskStr(task));
    item->setData(PhaseColumn, kTaskRole, int(task));
    return item;
}

void StartScreen::taskStarted(AXOCommManager::CommTasks task)
{
    QTreeWidgetItem *item = rowOf(task, true);
    item->setText(OutcomeColumn, tr("running..."));
    item->setForeground(OutcomeColumn, QBrush(Qt::darkBlue));
}

void StartScreen::taskCompleted(AXOCommManager::CommTasks task, bool result, AXOCommManager::CommMgsID message)
{
    QTreeWidgetItem *item = rowOf(task, true);
    item->setText(OutcomeColumn, result ? tr("done") : tr("FAILED"));
    item->setForeground(OutcomeColumn, QBrush(result ? Qt::darkGreen : Qt::red));
    item->setText(DetailColumn, message == AXOCommManager::General ? QString() : AXOCommManager::CommMgsIDStr(message));
}

void StartScreen::finish(bool ok, const FW_ErrorList &errors)
{
    QStringList lines;
    lines << (ok ? tr("The driver is started.") : tr("The start failed."));
    for (const FW_Error &error : errors)
        lines << QStringLiteral("%1  %2").arg(error.errorCode(), error.errorMsg());
    m_result->setText(lines.join(QLatin1Char('\n')));
    m_result->setStyleSheet(ok ? QStringLiteral("color: darkgreen;") : QStringLiteral("color: red;"));
    m_continue->setEnabled(ok);
    m_connect->setEnabled(!ok);
}

void StartScreen::showStopped()
{
    m_result->setText(tr("The driver is closed."));
    m_result->setStyleSheet(QString());
    m_continue->setEnabled(false);
    m_connect->setEnabled(true);
}

QStringList StartScreen::phaseLines() const
{
    QStringList lines;
    for (int i = 0; i < m_phases->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_phases->topLevelItem(i);
        QString line = QStringLiteral("%1: %2").arg(item->text(PhaseColumn), item->text(OutcomeColumn));
        if (!item->text(DetailColumn).isEmpty())
            line += QStringLiteral(" (%1)").arg(item->text(DetailColumn));
        lines << line;
    }
    return lines;
}
