#ifndef GETLOGSANSWER_H
#define GETLOGSANSWER_H

#include "FileReplyAnswerT.h"

//! The answer to "GETLOGS": the driver's log file ({"file": base64}).
class AXOCOMM_EXPORT GetLogsAnswer : public FileReplyAnswerT<GetLogsAnswer>
{
public:
    using FileReplyAnswerT::FileReplyAnswerT;

    QString answerName() const override { return QStringLiteral("GetLogsAnswer"); }
};

#endif // GETLOGSANSWER_H
