#ifndef PROTOANSWERFACTORY_H
#define PROTOANSWERFACTORY_H

#include "AXOCommGlobal.h"

#include <QtCore/QString>

class XmlRpcAnswer;

//! Knows which answer class the results of a command decode into.
class AXOCOMM_EXPORT ProtoAnswerFactory
{
public:
    //! A new answer object for results of the named command; a plain
    //! XmlRpcAnswer for commands without an answer class of their own.
    static XmlRpcAnswer *create(const QString &commandName);
};

#endif // PROTOANSWERFACTORY_H
