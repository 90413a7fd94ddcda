// Fuzzes the simulator's reading of requests from the bytes a connection
// received: finding each request head, parsing and checking it, taking the
// body by Content-Length and reading the methodCall in it, for as many
// requests as the bytes hold, the way the connection thread does.

#include "HttpRequest.h"
#include "SimMethodCall.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The simulator's own bounds, smaller for the body so that a claimed
// length cannot make an input wait for data it will never get.
const size_t kMaxHeadBytes = 64 * 1024;
const size_t kMaxBodyBytes = 1024 * 1024;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// One request off the front of buffer; false when the connection would close.
bool serveOne(std::string &buffer)
{
    size_t separator = 0;
    const size_t headEnd = HttpRequest::findHeadEnd(buffer, &separator);
    if (headEnd == std::string::npos)
        return false; // more to read, or 431 beyond kMaxHeadBytes
    check(headEnd + separator <= buffer.size() && (separator == 2 || separator == 4));
    check(buffer.empty() || (buffer[0] != '\r' && buffer[0] != '\n'));

    HttpRequest request;
    std::string reason;
    size_t contentLength = 0;
    // A refused request is answered with a status and a reason, then closed.
    if (!request.parseHead(buffer.substr(0, headEnd), &reason)) {
        check(!reason.empty());
        return false;
    }
    const int status = request.check(kMaxBodyBytes, &contentLength, &reason);
    if (status != 0) {
        check(status >= 400 && status < 600 && !reason.empty());
        return false;
    }
    const size_t bodyStart = headEnd + separator;
    if (buffer.size() - bodyStart < contentLength)
        return false; // the connection waits for the rest of the body

    request.raw().assign(buffer, 0, bodyStart + contentLength);
    request.body().assign(buffer, bodyStart, contentLength);
    buffer.erase(0, bodyStart + contentLength);
    (void)request.keepAlive();
    (void)request.headerHasToken("Expect", "100-continue");
    (void)request.header("Authorization");

    SimMethodCall call;
    if (!call.parse(request.body(), &reason)) {
        check(!reason.empty());
        return false; // 400, then the connection closes
    }
    check(!call.methodName().empty() && call.params().getType() == XmlRpc::XmlRpcValue::TypeArray);
    return request.keepAlive();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxHeadBytes + kMaxBodyBytes)
        return 0;
    std::string buffer(reinterpret_cast<const char *>(data), size);
    while (!buffer.empty() && serveOne(buffer)) {
    }
    return 0;
}
