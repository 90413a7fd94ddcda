// Reading a response: the header (status line, length or chunked body,
// keep-alive) and the body, then the method response in it.

#include "XmlRpcClient.h"

#include "XmlRpcSocket.h"
#include "XmlRpcUtil.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace XmlRpc {

bool XmlRpcClient::readHeader()
{
    const bool ok = nbRead(_header, &_eof);
    if (ok && !(_eof && _header.empty())) {
        XmlRpcUtil::log(4, "XmlRpcClient::readHeader: client has read %d bytes", static_cast<int>(_header.size()));
        return parseHeader();
    }

    // The driver may have dropped an idle keep-alive connection: reconnect
    // and send the request again, once per call.
    if (getKeepOpen() && _header.empty() && _sendAttempts++ == 0 && !closeRequested()) {
        XmlRpcUtil::log(4, "XmlRpcClient::readHeader: re-trying connection");
        XmlRpcSource::close();
        _connectionState = NO_CONNECTION;
        _eof = false;
        return setupConnection();
    }

    XmlRpcUtil::error("Error in XmlRpcClient::readHeader: error while reading header (%s) on fd %d.",
                      XmlRpcSocket::getErrorMsg().c_str(), getfd());
    return false;
}

namespace {

// The value of a header field from valueStart to the end of its line,
// without the blanks around it.
std::string fieldValue(const char *buffer, size_t size, size_t valueStart)
{
    size_t end = valueStart;
    while (end < size && buffer[end] != '\r' && buffer[end] != '\n')
        ++end;
    size_t begin = valueStart;
    while (begin < end && (buffer[begin] == ' ' || buffer[begin] == '\t'))
        ++begin;
    while (end > begin && (buffer[end - 1] == ' ' || buffer[end - 1] == '\t'))
        --end;
    return std::string(buffer + begin, end - begin);
}

// Where the value of a Transfer-Encoding field starts when one begins at pos
// (any case, blanks allowed before the colon so that no spelling slips
// through); npos otherwise.
size_t transferCodingValue(const char *buffer, size_t size, size_t pos)
{
    static const char name[] = "Transfer-Encoding";
    const size_t length = sizeof name - 1;
    if (size - pos < length + 1 || strncasecmp(buffer + pos, name, length) != 0)
        return std::string::npos;
    size_t colon = pos + length;
    while (colon < size && (buffer[colon] == ' ' || buffer[colon] == '\t'))
        ++colon;
    return colon < size && buffer[colon] == ':' ? colon + 1 : std::string::npos;
}

} // namespace

bool XmlRpcClient::parseHeader()
{
    const char *buffer = _header.data();
    const size_t size = _header.size();
    size_t valueStart = std::string::npos;
    size_t bodyStart = std::string::npos;
    // The body is read by its length alone: a transfer coding other than
    // "identity" (chunked, say) frames it some other way, even with a length.
    bool codingSeen = false;
    std::string coding;

    for (size_t pos = 0; pos < size; ++pos) {
        const size_t left = size - pos;
        const char c = buffer[pos];
        if (left > 16 && (c == 'C' || c == 'c') && strncasecmp(buffer + pos, "Content-length: ", 16) == 0) {
            valueStart = pos + 16;
            continue;
        }
        if ((c == 'T' || c == 't') && (pos == 0 || buffer[pos - 1] == '\n')) {
            // A line not ended yet is looked at again once more has come:
            // the header cannot have ended before it.
            const size_t codingStart = transferCodingValue(buffer, size, pos);
            if (codingStart != std::string::npos && !codingSeen) {
                coding = fieldValue(buffer, size, codingStart);
                codingSeen = strcasecmp(coding.c_str(), "identity") != 0;
            }
            continue;
        }
        if (c != '\r' && c != '\n')
            continue;
        size_t blankLength = 0;
        if (left >= 5 && std::memcmp(buffer + pos, "\r\n\r\n", 4) == 0)
            blankLength = 4;
        else if (left >= 3 && std::memcmp(buffer + pos, "\n\n", 2) == 0)
            blankLength = 2;
        if (blankLength == 0)
            continue;
        // An interim "100 Continue" answer: step over it to the real header,
        // whose fields alone frame the body.
        if (pos > 12 && std::memcmp(buffer + pos - 12, "100 Continue", 12) == 0) {
            pos += blankLength - 1;
            valueStart = std::string::npos;
            codingSeen = false;
            coding.clear();
            continue;
        }
        bodyStart = pos + blankLength;
        break;
    }

    if (bodyStart == std::string::npos) {
        if (_eof) {
            XmlRpcUtil::error("Error in XmlRpcClient::readHeader: EOF while reading header");
            return false;
        }
        return true;
    }

    if (codingSeen) {
        _headerRefused = true;
        XmlRpcUtil::error("Error in XmlRpcClient::readHeader: Transfer-Encoding \"%s\" not supported, "
                          "only a body of Content-length bytes is read; the connection is dropped.",
                          coding.c_str());
        return false;
    }

    if (valueStart == std::string::npos) {
        _headerRefused = true;
        XmlRpcUtil::error("Error XmlRpcClient::readHeader: No Content-length specified");
        return false;
    }

    // Beyond an int is as invalid as zero: never read modulo 2^32.
    const long length = std::strtol(buffer + valueStart, nullptr, 10);
    if (length <= 0 || length > INT_MAX) {
        _headerRefused = true;
        XmlRpcUtil::error("Error in XmlRpcClient::readHeader: Invalid Content-length specified (%ld).", length);
        return false;
    }
    _contentLength = static_cast<int>(length);

    XmlRpcUtil::log(4, "client read content length: %d", _contentLength);
    _response.assign(_header, bodyStart, std::string::npos);
    _header.clear();
    _connectionState = READ_RESPONSE;
    return true;
}

bool XmlRpcClient::readResponse()
{
    if (static_cast<int>(_response.size()) < _contentLength) {
        if (!nbRead(_response, &_eof)) {
            XmlRpcUtil::error("Error in XmlRpcClient::readResponse: read error (%s).",
                              XmlRpcSocket::getErrorMsg().c_str());
            return false;
        }
        if (static_cast<int>(_response.size()) < _contentLength) {
            if (_eof) {
                XmlRpcUtil::error("Error in XmlRpcClient::readResponse: EOF while reading response");
                return false;
            }
            return true;
        }
    }

    XmlRpcUtil::log(3, "XmlRpcClient::readResponse (read %d bytes)", static_cast<int>(_response.size()));
    if (static_cast<int>(_response.size()) > _contentLength) {
        // The surplus answers no request: it is not part of this response,
        // and the next response could not be told apart from it.
        XmlRpcUtil::log(1, "XmlRpcClient::readResponse: %d bytes beyond Content-length; the connection is dropped.",
                        static_cast<int>(_response.size()) - _contentLength);
        _response.resize(static_cast<size_t>(_contentLength));
        _bytesBeyondResponse = true;
    }
    XmlRpcUtil::log(5, "response:\n%s", _response.c_str());
    _connectionState = IDLE;
    return false;
}

bool XmlRpcClient::parseResponse(XmlRpcValue &result)
{
    std::string response;
    response.swap(_response);

    int offset = 0;
    bool emptyTag = false;
    if (!XmlRpcUtil::findTag(METHODRESPONSE_TAG, response, &offset, &emptyTag) || emptyTag) {
        XmlRpcUtil::error("Error in XmlRpcClient::parseResponse: Invalid response - no methodResponse. "
                          "Response:\n%s",
                          response.c_str());
        return false;
    }

    if (XmlRpcUtil::nextTagIs("params", response, &offset, nullptr)
        && XmlRpcUtil::nextTagIs("param", response, &offset, &emptyTag)) {
        if (emptyTag) {
            result = 0;
        } else if (!result.fromXml(response, &offset)) {
            XmlRpcUtil::error("Error in XmlRpcClient::parseResponse: Invalid response value. Response:\n%s",
                              response.c_str());
            response.clear();
            return false;
        }
    } else if (XmlRpcUtil::nextTagIs(FAULT_TAG, response, &offset, &emptyTag)) {
        _isFault = true;
        if (emptyTag || !result.fromXml(response, &offset)) {
            result = 0;
            return false;
        }
    } else {
        XmlRpcUtil::error("Error in XmlRpcClient::parseResponse: Invalid response - no param or fault tag. "
                          "Response:\n%s",
                          response.c_str());
        return false;
    }
    return result.valid();
}

} // namespace XmlRpc
