#ifndef CIRCUITVIEW_H
#define CIRCUITVIEW_H

#include <QtCore/QMap>
#include <QtWidgets/QTableWidget>

//! The current dispenser's circuits from the shared configuration: position,
//! colorant, level in cc and how full the canister is. The levels are the
//! ones last read from the driver for that dispenser.
class CircuitView : public QTableWidget
{
    Q_OBJECT

public:
    enum Column { PositionColumn, ColorantColumn, LevelColumn, FillColumn };

    explicit CircuitView(QWidget *parent = nullptr);

    //! Reads the current dispenser's configuration again.
    void refresh();
    //! The levels read for the dispenser, by position.
    void setLevels(int dispenserID, const QMap<int, double> &levels);
    //! The level shown for the circuit at the position; -1 when not listed.
    double levelOf(int position) const;
    //! Whether levels were read for the dispenser.
    bool hasLevelsFor(int dispenserID) const { return dispenserID > 0 && m_levelsDispenser == dispenserID; }

private:
    int m_levelsDispenser = 0;
    QMap<int, double> m_levels;
};

#endif // CIRCUITVIEW_H
