#include "CircuitView.h"

#include <AXOComm/AXOComm.h>

#include <QtWidgets/QHeaderView>
#include <QtWidgets/QProgressBar>

#include <cmath>

CircuitView::CircuitView(QWidget *parent) : QTableWidget(parent)
{
    setColumnCount(4);
    setHorizontalHeaderLabels({tr("Circuit"), tr("Colorant"), tr("Level (cc)"), tr("Fill")});
    verticalHeader()->setVisible(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    horizontalHeader()->setSectionResizeMode(PositionColumn, QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(ColorantColumn, QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(LevelColumn, QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(FillColumn, QHeaderView::Stretch);
}

void CircuitView::setLevels(int dispenserID, const QMap<int, double> &levels)
{
    m_levelsDispenser = dispenserID;
    m_levels = levels;
    refresh();
}

void CircuitView::refresh()
{
    const FW_Dispenser dispenser = AXOCurrentCommData::instance()->currentDispenser();
    const bool haveLevels = dispenser.machineNumber() == m_levelsDispenser;
    const QList<FW_Circuit> circuits = dispenser.circuits();
    setRowCount(circuits.size());
    for (int row = 0; row < circuits.size(); ++row) {
        FW_Circuit circuit = circuits.at(row);
        if (haveLevels && m_levels.contains(circuit.position()))
            circuit.setLevel(m_levels.value(circuit.position()));
        auto *position = new QTableWidgetItem(QString::number(circuit.position()));
        position->setData(Qt::UserRole, circuit.position());
        position->setTextAlignment(Qt::AlignCenter);
        setItem(row, PositionColumn, position);
        auto *colorantItem = new QTableWidgetItem(circuit.colorantCode());
        colorantItem->setToolTip(circuit.colorantName());
        setItem(row, ColorantColumn, colorantItem);
        auto *level = new QTableWidgetItem(QString::number(circuit.level(), 'f', 1));
        level->setToolTip(tr("%1 of %2 cc").arg(circuit.level(), 0, 'f', 1).arg(circuit.capacity(), 0, 'f', 0));
        level->setData(Qt::UserRole, circuit.level());
        level->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setItem(row, LevelColumn, level);
        auto *fill = qobject_cast<QProgressBar *>(cellWidget(row, FillColumn));
        if (!fill) {
            fill = new QProgressBar(this);
            fill->setRange(0, 100);
            setCellWidget(row, FillColumn, fill);
        }
        const double share = circuit.capacity() > 0.0 ? circuit.level() / circuit.capacity() : 0.0;
        fill->setValue(static_cast<int>(std::lround(100.0 * qBound(0.0, share, 1.0))));
    }
}

double CircuitView::levelOf(int position) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (item(row, PositionColumn) && item(row, PositionColumn)->data(Qt::UserRole).toInt() == position)
            return item(row, LevelColumn)->data(Qt::UserRole).toDouble();
    return -1.0;
}
