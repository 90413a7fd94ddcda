#ifndef GETCOMMANDLISTANSWER_H
#define GETCOMMANDLISTANSWER_H

#include "ProtoAnswerT.h"
#include "ProtocolCommandInfo.h"

//! The answer to "GET_CMD_LIST": the commands the driver supports for the
//! machine, each with the version it implements ({"commands": [{"name":
//! string, "version": int}]}).
class AXOCOMM_EXPORT GetCommandListAnswer : public ValueAnswerT<GetCommandListAnswer, QList<ProtocolCommandInfo>>
{
public:
    //! The member of the data that holds the value.
    static constexpr const char *dataMember = "commands";

    using ValueAnswerT::ValueAnswerT;

    //! The supported commands with their versions.
    QList<ProtocolCommandInfo> commandList() const { return value(); }

    QString answerName() const override { return QStringLiteral("GetCommandListAnswer"); }
};

#endif // GETCOMMANDLISTANSWER_H
