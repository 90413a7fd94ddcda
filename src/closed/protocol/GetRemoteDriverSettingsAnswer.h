#ifndef GETREMOTEDRIVERSETTINGSANSWER_H
#define GETREMOTEDRIVERSETTINGSANSWER_H

#include "FileReplyAnswerT.h"

//! The answer to "GET_REMOTE_DRIVER_SETTINGS": the driver's settings file ({"file": base64}).
class AXOCOMM_EXPORT GetRemoteDriverSettingsAnswer : public FileReplyAnswerT<GetRemoteDriverSettingsAnswer>
{
public:
    using FileReplyAnswerT::FileReplyAnswerT;

    QString answerName() const override { return QStringLiteral("GetRemoteDriverSettingsAnswer"); }
};

#endif // GETREMOTEDRIVERSETTINGSANSWER_H
