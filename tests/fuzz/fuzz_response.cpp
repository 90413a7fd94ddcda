// Fuzzes the client's reading of an HTTP response: the header (length,
// interim answers, blank line) and the methodResponse body, fed as if the
// bytes arrived in pieces from the socket. The first input byte sets the
// size of the pieces (0: all at once), the rest is what the peer sent.

#include "XmlRpcClient.h"
#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using XmlRpc::XmlRpcClient;
using XmlRpc::XmlRpcValue;

namespace {

class Silent : public XmlRpc::XmlRpcErrorHandler
{
public:
    void error(const char *) override {}
};

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Runs the steps readHeader() and readResponse() take after each read.
class Reader : public XmlRpcClient
{
public:
    Reader() : XmlRpcClient("127.0.0.1", 9333) {}

    void run(const std::string &stream, size_t piece)
    {
        size_t pos = 0;
        const auto next = [&](std::string &to) {
            const size_t n = std::min(piece, stream.size() - pos);
            to.append(stream, pos, n);
            pos += n;
            _eof = pos == stream.size();
        };

        _connectionState = READ_HEADER;
        _header.clear();
        _response.clear();
        while (_connectionState == READ_HEADER && pos < stream.size()) {
            next(_header);
            if (!parseHeader())
                return;
        }
        if (_connectionState != READ_RESPONSE)
            return; // the header never ended: the peer's close fails the call
        check(_contentLength > 0);
        while (static_cast<int>(_response.size()) < _contentLength && pos < stream.size())
            next(_response);
        if (static_cast<int>(_response.size()) < _contentLength)
            return; // EOF while reading the response
        _connectionState = IDLE;
        XmlRpcValue result;
        if (parseResponse(result))
            check(result.valid());
        else
            check(!result.valid() || isFault());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Silent silent;
    XmlRpcUtil::setErrorHandler(&silent);
    if (size == 0)
        return 0;
    const size_t piece = data[0] == 0 ? size : data[0];
    Reader reader;
    reader.run(std::string(reinterpret_cast<const char *>(data) + 1, size - 1), piece);
    return 0;
}
