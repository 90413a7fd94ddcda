#ifndef GETDBFILEANSWER_H
#define GETDBFILEANSWER_H

#include "FileReplyAnswerT.h"

//! The answer to "GETDBFILE": the database file asked for ({"file": base64}).
class AXOCOMM_EXPORT GetDbFileAnswer : public FileReplyAnswerT<GetDbFileAnswer>
{
public:
    using FileReplyAnswerT::FileReplyAnswerT;

    QString answerName() const override { return QStringLiteral("GetDbFileAnswer"); }
};

#endif // GETDBFILEANSWER_H
