#ifndef CIRCUITVIEW_H
#define CIRCUITVIEW_H

#include <QtWidgets/QTableWidget>

//! The current dispenser's circuits from the shared configuration: position,
//! colorant, level and capacity in cc, and how full the canister is.
class CircuitView : public QTableWidget
{
    Q_OBJECT

public:
    enum Column { PositionColumn, ColorantColumn, LevelColumn, FillColumn };

    explicit CircuitView(QWidget *parent = nullptr);

    //! Reads the current dispenser's configuration again.
    void refresh();
    //! The level shown for the circuit at the position; -1 when not listed.
    double levelOf(int position) const;
};

#endif // CIRCUITVIEW_H
