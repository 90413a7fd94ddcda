#ifndef SIMRESPONSE_H
#define SIMRESPONSE_H

#include "XmlRpcValue.h"

#include <string>

//! Builds the bytes the simulator sends: HTTP responses carrying an XML-RPC
//! result or fault, and plain HTTP error answers.
class SimResponse
{
public:
    //! How the Content-length field of a response is written.
    enum LengthMode {
        LengthActual,   //!< the real body length
        LengthOmitted,  //!< no Content-length field at all
        LengthZero      //!< "Content-length: 0" in front of the real body
    };

    //! "<?xml ...?>\r\n<methodResponse><params><param>VALUE</param></params></methodResponse>\r\n"
    static std::string resultBody(const XmlRpc::XmlRpcValue &value);
    //! The methodResponse holding a fault struct (faultCode i4, faultString).
    static std::string faultBody(int code, const std::string &message);

    //! A 200 response with the driver's header fields around body.
    static std::string http(const std::string &body, LengthMode lengthMode = LengthActual);
    //! An error answer with a short text body; with close it also announces
    //! that the connection ends. extraHeaders are whole lines ending in CRLF.
    static std::string httpError(int status, const std::string &text, bool close,
                                 const std::string &extraHeaders = std::string());

    static const char *reasonPhrase(int status);

    static const char *const kInterimContinue;
};

#endif // SIMRESPONSE_H
