#ifndef GETCOMMANDSTATUSCMD_H
#define GETCOMMANDSTATUSCMD_H

#include "ProtoCommand.h"

//! "GET_CMD_STATUS" for a ticket.
class AXOCOMM_EXPORT GetCommandStatusCmd : public ProtoCommand
{
public:
    //! Asks for the status of that ticket.
    explicit GetCommandStatusCmd(int ticketID);

    //! The ticket asked about.
    int ticketID() const { return m_ticketID; }
    ProtoCommand *clone() const override { return new GetCommandStatusCmd(*this); }

private:
    int m_ticketID;
};

#endif // GETCOMMANDSTATUSCMD_H
