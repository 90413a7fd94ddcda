#ifndef DISPENSEPANEL_H
#define DISPENSEPANEL_H

#include <AXOComm/AXOComm.h>

#include <QtWidgets/QWidget>

class PanelSession;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

//! The commands on the current dispenser: reset, dispense the formula typed
//! as position:amount pairs, stop. A dispense is followed with an overall
//! progress bar and a row per circuit (amount, state), both fed by the
//! command's progress signals.
class DispensePanel : public QWidget
{
    Q_OBJECT

public:
    enum CircuitColumn { PositionColumn, AmountColumn, StateColumn };

    explicit DispensePanel(PanelSession *session, QWidget *parent = nullptr);

    //! Enables what the session's state and the current dispenser allow.
    void updateActions();
    //! The dispenser the commands go to; 0 when there is none or the library
    //! does not talk to it yet.
    int targetDispenser() const;
    bool isDispensing() const { return m_dispensing; }
    //! Types the formula and dispenses it, as the operator would.
    void dispenseText(const QString &formula);

signals:
    //! The operator typed something that is not a formula, or a command
    //! could not be sent.
    void problem(const QString &text);

private:
    void dispense();
    void stop();
    void reset();
    void send(const QString &name, const QList<QVariant> &parameters);
    void showFormula(const Formula &formula);
    void onProgress(const NECommand &command);
    void onFinished(const NECommand &command);
    void setCircuitState(int position, ChannelIngredient::DosingState state);

    PanelSession *m_session;
    QLabel *m_target = nullptr;
    QLineEdit *m_formula = nullptr;
    QPushButton *m_dispense = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_reset = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_status = nullptr;
    QTableWidget *m_circuits = nullptr;
    bool m_dispensing = false;
};

#endif // DISPENSEPANEL_H
