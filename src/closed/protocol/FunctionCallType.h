#ifndef FUNCTIONCALLTYPE_H
#define FUNCTIONCALLTYPE_H

//! How a command is handed to a driver. The values are bits so that a set of
//! call kinds fits in one integer; ProtoCommandList::functionCallStr gives the
//! XML-RPC method of each kind.
enum FunctionCallType {
    SyncCall = 1,         //!< one call; the answer is the command's result
    AsyncCall = 2,        //!< the call returns a ticket; the result is polled by ticket
    NotifyChangedCall = 4 //!< the driver answers when the result differs from the given one
};

#endif // FUNCTIONCALLTYPE_H
