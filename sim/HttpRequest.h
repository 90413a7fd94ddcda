#ifndef HTTPREQUEST_H
#define HTTPREQUEST_H

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

//! One HTTP/1.x request as the simulator received it: request line, header
//! fields (names compared without regard to case), body, and the raw bytes.
class HttpRequest
{
public:
    //! Parses the request head: the request line and the header lines, each
    //! ended by CRLF (a bare LF is tolerated), without the empty line that
    //! closes the head. On failure returns false and leaves a reason in *error.
    bool parseHead(const std::string &head, std::string *error);

    //! Where the head of the next request ends in the bytes received so far.
    //! Line ends ahead of the request line are dropped from buffer first.
    //! Returns the length of the head up to its last line end and sets
    //! *separator to the length of the line ends before the body (4 for
    //! "\r\n\r\n", 2 for "\n\n"); npos while the head is incomplete.
    static size_t findHeadEnd(std::string &buffer, size_t *separator);

    //! Whether a parsed head asks for what the simulator serves: a POST
    //! without transfer coding, with a Content-Length of at most maxBody.
    //! Returns 0 and sets *contentLength, or the HTTP status to refuse the
    //! request with and the reason in *error.
    int check(size_t maxBody, size_t *contentLength, std::string *error) const;
    //! All Content-Length fields: digits only, at most 12, all equal.
    static bool parseContentLength(const std::vector<std::string> &values, size_t *length);

    const std::string &method() const { return m_method; }
    const std::string &target() const { return m_target; }
    //! "HTTP/1.1" or "HTTP/1.0".
    const std::string &version() const { return m_version; }

    bool hasHeader(const std::string &name) const;
    //! Value of the first field of that name, surrounding blanks removed;
    //! empty when absent.
    std::string header(const std::string &name) const;
    //! Every field of that name, in arrival order.
    std::vector<std::string> headerValues(const std::string &name) const;
    const std::vector<std::pair<std::string, std::string>> &headers() const { return m_headers; }

    //! Whether the connection stays open after the answer, from the version
    //! and the Connection field.
    bool keepAlive() const;
    //! Whether a field of that name holds token (comma separated list,
    //! compared without regard to case).
    bool headerHasToken(const std::string &name, const std::string &token) const;

    std::string &body() { return m_body; }
    const std::string &body() const { return m_body; }
    std::string &raw() { return m_raw; }
    const std::string &raw() const { return m_raw; }

    static bool equalsIgnoreCase(const std::string &a, const std::string &b);
    static std::string trimmed(const std::string &text);

private:
    std::string m_method;
    std::string m_target;
    std::string m_version;
    std::vector<std::pair<std::string, std::string>> m_headers;
    std::string m_body;
    std::string m_raw;
};

#endif // HTTPREQUEST_H
