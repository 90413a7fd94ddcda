#include "DispensePanel.h"

#include "FormulaText.h"
#include "LogPane.h"
#include "PanelSession.h"

#include <QtWidgets/QFormLayout>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QVBoxLayout>

namespace {

const char kTint[] = "TINT";

QString stateText(ChannelIngredient::DosingState state)
{
    switch (state) {
    case ChannelIngredient::Dosing:
        return DispensePanel::tr("dosing");
    case ChannelIngredient::Done:
        return DispensePanel::tr("done");
    default:
        return DispensePanel::tr("waiting");
    }
}

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *result = new QPushButton(text, parent);
    result->setObjectName(QLatin1String(name));
    return result;
}

} // namespace

DispensePanel::DispensePanel(PanelSession *session, QWidget *parent) : QWidget(parent), m_session(session)
{
    m_target = new QLabel(this);
    m_target->setObjectName(QStringLiteral("targetDispenser"));
    m_formula = new QLineEdit(QStringLiteral("1:2.5, 3:1.5, 7:4"), this);
    m_formula->setObjectName(QStringLiteral("formula"));
    m_formula->setPlaceholderText(tr("position:amount (cc), e.g. 1:2.5, 3:1.5"));
    m_dispense = button(tr("Dispense"), "dispenseButton", this);
    m_stop = button(tr("Stop"), "stopButton", this);
    m_reset = button(tr("Reset"), "resetButton", this);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("dispenseProgress"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_status = new QLabel(tr("Idle"), this);
    m_status->setObjectName(QStringLiteral("dispenseStatus"));
    m_circuits = new QTableWidget(0, 3, this);
    m_circuits->setObjectName(QStringLiteral("circuitProgress"));
    m_circuits->setHorizontalHeaderLabels({tr("Circuit"), tr("Amount (cc)"), tr("State")});
    m_circuits->verticalHeader()->setVisible(false);
    m_circuits->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_circuits->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_circuits->horizontalHeader()->setStretchLastSection(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_reset);
    buttons->addStretch();
    buttons->addWidget(m_dispense);
    buttons->addWidget(m_stop);
    auto *form = new QFormLayout;
    form->addRow(tr("Dispenser:"), m_target);
    form->addRow(tr("Formula:"), m_formula);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addWidget(m_circuits, 1);

    connect(m_dispense, &QPushButton::clicked, this, &DispensePanel::dispense);
    connect(m_formula, &QLineEdit::returnPressed, this, &DispensePanel::dispense);
    connect(m_stop, &QPushButton::clicked, this, &DispensePanel::stop);
    connect(m_reset, &QPushButton::clicked, this, &DispensePanel::reset);
    connect(session, &PanelSession::commandProgress, this, &DispensePanel::onProgress);
    connect(session, &PanelSession::commandFinished, this, &DispensePanel::onFinished);
    connect(session, &PanelSession::stateChanged, this, &DispensePanel::updateActions);
    connect(session, &PanelSession::currentMachineChanged, this, &DispensePanel::updateActions);
    connect(session, &PanelSession::machinesChanged, this, &DispensePanel::updateActions);
    connect(session, &PanelSession::stopped, this, [this] {
        m_dispensing = false;
        updateActions();
    });
    updateActions();
}

int DispensePanel::targetDispenser() const
{
    if (!m_session->isStarted())
        return 0;
    // The start chooses the current dispenser before the driver's first
    // active-machine answer gives it its command threads; a command sent in
    // between would not be taken. The machine list changes once they run.
    const AXOCurrentCommData *current = AXOCurrentCommData::instance();
    const int dispenser = current->currentDispenserID();
    return dispenser > 0 && AXOCommData::instance()->isActiveDispenser(current->currentDriverID(), dispenser)
        ? dispenser
        : 0;
}

void DispensePanel::updateActions()
{
    const int dispenser = targetDispenser();
    m_target->setText(dispenser > 0 ? tr("Dispenser %1").arg(dispenser) : tr("none"));
    m_dispense->setEnabled(dispenser > 0 && !m_dispensing);
    m_reset->setEnabled(dispenser > 0 && !m_dispensing);
    m_stop->setEnabled(dispenser > 0);
}

void DispensePanel::send(const QString &name, const QList<QVariant> &parameters)
{
    QString error;
    if (!m_session->send(name, MachineID(targetDispenser(), MachineID::Dispenser), parameters, &error))
        emit problem(tr("%1 not sent: %2").arg(name, error));
}

void DispensePanel::dispense()
{
    if (targetDispenser() <= 0 || m_dispensing)
        return;
    Formula formula;
    QString error;
    if (!FormulaText::parse(m_formula->text(), formula, &error)) {
        m_status->setText(tr("Not a formula: %1").arg(error));
        emit problem(tr("not a formula: %1").arg(error));
        return;
    }
    showFormula(formula);
    m_dispensing = true;
    updateActions();
    m_status->setText(tr("Dispensing %1").arg(FormulaText::format(formula)));
    QString sendError;
    if (!m_session->send(QLatin1String(kTint), MachineID(targetDispenser(), MachineID::Dispenser),
                         {QVariant::fromValue(formula)}, &sendError)) {
        m_dispensing = false;
        updateActions();
        m_status->setText(tr("TINT not sent: %1").arg(sendError));
        emit problem(tr("TINT not sent: %1").arg(sendError));
    }
}

void DispensePanel::dispenseText(const QString &formula)
{
    m_formula->setText(formula);
    dispense();
}

void DispensePanel::stop()
{
    send(QStringLiteral("STOP"), {});
}

void DispensePanel::reset()
{
    send(QStringLiteral("RESET"), {});
}

void DispensePanel::showFormula(const Formula &formula)
{
    m_progress->setValue(0);
    m_circuits->setRowCount(0);
    for (const FormulaChannel &channel : formula.channels()) {
        for (const ChannelIngredient &ingredient : channel.ingredients()) {
            const int row = m_circuits->rowCount();
            m_circuits->insertRow(row);
            auto *position = new QTableWidgetItem(QString::number(ingredient.position()));
            position->setData(Qt::UserRole, ingredient.position());
            m_circuits->setItem(row, PositionColumn, position);
            m_circuits->setItem(row, AmountColumn, new QTableWidgetItem(QString::number(ingredient.amount(), 'f', 2)));
            m_circuits->setItem(row, StateColumn, new QTableWidgetItem(stateText(ChannelIngredient::Waiting)));
        }
    }
}

void DispensePanel::setCircuitState(int position, ChannelIngredient::DosingState state)
{
    for (int row = 0; row < m_circuits->rowCount(); ++row) {
        if (m_circuits->item(row, PositionColumn)->data(Qt::UserRole).toInt() != position)
            continue;
        QTableWidgetItem *item = m_circuits->item(row, StateColumn);
        item->setText(stateText(state));
        item->setForeground(QBrush(state == ChannelIngredient::Dosing ? Qt::darkBlue
                                       : state == ChannelIngredient::Done ? Qt::darkGreen
                                                                          : Qt::black));
    }
}

void DispensePanel::onProgress(const NECommand &command)
{
    if (command.command() != QLatin1String(kTint) || !m_dispensing)
        return;
    const CmdStatus status = command.executionStatus();
    m_progress->setValue(qBound(0, status.percentage(), 100));
    m_status->setText(tr("Dispensing: %1%, %2 s left").arg(status.percentage()).arg(status.timeLeft() / 1000.0, 0, 'f', 1));
    if (!command.hasFormulaProgress())
        return;
    for (const FormulaChannel &channel : command.formulaProgress().formulaChannels())
        for (const ChannelIngredient &ingredient : channel.ingredients())
            setCircuitState(ingredient.position(), ingredient.state());
}

void DispensePanel::onFinished(const NECommand &command)
{
    if (command.command() != QLatin1String(kTint))
        return;
    m_dispensing = false;
    if (command.isDoneSuccessfully()) {
        m_progress->setValue(100);
        for (int row = 0; row < m_circuits->rowCount(); ++row)
            setCircuitState(m_circuits->item(row, PositionColumn)->data(Qt::UserRole).toInt(), ChannelIngredient::Done);
    }
    QString text = tr("TINT %1").arg(LogPane::outcomeText(command));
    const FW_ErrorList errors = command.errors();
    if (!errors.isEmpty())
        text += QStringLiteral(": %1 %2").arg(errors.at(0).errorCode(), errors.at(0).errorMsg());
    m_status->setText(text);
    updateActions();
    // The canisters hold less now.
    m_session->refreshLevels(command.machineID().machineNumber);
}
