#include "ConnectDialog.h"

#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QVBoxLayout>

#include <QtNetwork/QHostAddress>

ConnectDialog::ConnectDialog(const ConnectRequest &initial, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Connect to a driver"));
    m_address = new QLineEdit(initial.address, this);
    m_address->setObjectName(QStringLiteral("address"));
    m_port = new QSpinBox(this);
    m_port->setObjectName(QStringLiteral("port"));
    m_port->setRange(1, 65535);
    m_port->setValue(initial.port);
    const bool tls = AXOClientSettings::useOpenSsl();
    m_tls = new QLabel(tls ? tr("TLS with Basic authentication") : tr("plain HTTP"), this);
    m_tls->setObjectName(QStringLiteral("tls"));
    m_tls->setToolTip(tr("%1 in %2").arg(QLatin1String(AXOClientSettings::UseOpenSslKey), AXOClientSettings::filePath()));
    m_level = new QComboBox(this);
    m_level->setObjectName(QStringLiteral("level"));
    m_level->addItem(tr("0 - commands only"), int(AXOCommData::CommLevel0));
    m_level->addItem(tr("1 - machines followed"), int(AXOCommData::CommLevel1));
    m_level->addItem(tr("2 - configuration and connection status"), int(AXOCommData::CommLevel2));
    m_level->setCurrentIndex(m_level->findData(int(initial.level)));

    auto *settingsNote = new QLabel(tr("Transport from the settings file %1").arg(AXOClientSettings::filePath()), this);
    settingsNote->setWordWrap(true);
    settingsNote->setStyleSheet(QStringLiteral("color: gray;"));

    auto *form = new QFormLayout;
    form->addRow(tr("Address:"), m_address);
    form->addRow(tr("Port:"), m_port);
    form->addRow(tr("Transport:"), m_tls);
    form->addRow(tr("Communication level:"), m_level);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Connect"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The library takes IPv4 addresses only.
    auto check = [this, buttons] {
        QHostAddress address;
        buttons->button(QDialogButtonBox::Ok)->setEnabled(address.setAddress(m_address->text().trimmed())
                                                          && address.protocol() == QAbstractSocket::IPv4Protocol);
    };
    connect(m_address, &QLineEdit::textChanged, this, check);
    check();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(settingsNote);
    layout->addWidget(buttons);
}

ConnectRequest ConnectDialog::request() const
{
    ConnectRequest result;
    result.address = m_address->text().trimmed();
    result.port = m_port->value();
    result.tls = AXOClientSettings::useOpenSsl();
    result.level = static_cast<AXOCommData::CommLevel>(m_level->currentData().toInt());
    return result;
}
