#include "FW_Exception.h"

FW_Exception::FW_Exception(const QString &code, const QString &message, const QString &place)
    : m_code(code), m_message(message), m_place(place),
      m_what(QStringLiteral("%1 - %2 (%3)").arg(code, message, place).toStdString())
{
}

FW_Exception::~FW_Exception() = default;
