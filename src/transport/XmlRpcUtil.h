#ifndef XMLRPCUTIL_H
#define XMLRPCUTIL_H

#include "AXOCommGlobal.h"

#include <string>
#include <vector>

namespace XmlRpc {
class XmlRpcLogHandler;
class XmlRpcErrorHandler;
}

//! XML text helpers of the value parser and the response reader, and the
//! transport's process-wide log and error reporting.
class AXOCOMM_EXPORT XmlRpcUtil
{
public:
    //! Opening tag at offset (after whitespace): "<tag>" or "<tag/>".
    static bool nextTagIs(const char *tag, const std::string &xml, int *offset, bool *emptyTag);
    //! Closing tag "</tag>" after skipping everything up to the next '<'.
    static bool nextTagIsEnd(const char *tag, const std::string &xml, int *offset);
    //! Searches forward for "<tag" and its '>'.
    static bool findTag(const char *tag, const std::string &xml, int *offset, bool *emptyTag);
    //! The verbatim text between "<tag>" and "</tag>", found by search.
    static bool parseTag(const char *tag, const std::string &xml, int *offset, std::string &text);

    //! The text with XML's special characters escaped.
    static std::string xmlEncode(const std::string &raw);
    //! Appends the escaped text to out.
    static void xmlEncodeAppend(std::string &out, const char *raw, size_t length);
    //! The text with XML entities resolved.
    static std::string xmlDecode(const std::string &encoded);
    //! Appends the decoded text to out.
    static void xmlDecodeAppend(std::string &out, const char *encoded, size_t length);

    //! Standard alphabet with '=' padding; with lineBreaks a line feed follows
    //! every 18th complete group of four characters.
    static void base64Encode(std::string &out, const unsigned char *data, size_t length, bool lineBreaks);
    //! Skips characters outside the alphabet; the first '=' ends the data.
    static void base64Decode(const char *text, size_t length, std::vector<unsigned char> &out);

    //! A diagnostic to the log handler, when level is within the verbosity.
    static void log(int level, const char *format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    //! An error text to the error handler (none: dropped).
    static void error(const char *format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 1, 2)))
#endif
        ;

    //! The highest level log() passes on (0 by default).
    static int getVerbosity();
    //! Sets that level; any thread, any time.
    static void setVerbosity(int level);

    //! The current log handler.
    static XmlRpc::XmlRpcLogHandler *getLogHandler();
    //! Replaces the log handler; null drops the diagnostics. The handler
    //! must outlive every connection.
    static void setLogHandler(XmlRpc::XmlRpcLogHandler *handler);
    //! The current error handler (by default one writing to standard error).
    static XmlRpc::XmlRpcErrorHandler *getErrorHandler();
    //! Replaces the error handler; null drops the texts. The handler must
    //! outlive every connection and take calls from any thread.
    static void setErrorHandler(XmlRpc::XmlRpcErrorHandler *handler);
};

#endif // XMLRPCUTIL_H
