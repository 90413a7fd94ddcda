#include "SimResponse.h"

#include "XmlRpcUtil.h"

const char *const SimResponse::kInterimContinue = "HTTP/1.1 100 Continue\r\n\r\n";

namespace {
const char kXmlDeclaration[] = "<?xml version=\"1.0\"?>\r\n";
}

std::string SimResponse::resultBody(const XmlRpc::XmlRpcValue &value)
{
    std::string body(kXmlDeclaration);
    body += "<methodResponse><params><param>";
    value.appendXml(body);
    body += "</param></params></methodResponse>\r\n";
    return body;
}

std::string SimResponse::faultBody(int code, const std::string &message)
{
    std::string body(kXmlDeclaration);
    body += "<methodResponse><fault><value><struct>"
            "<member><name>faultCode</name><value><i4>";
    body += std::to_string(code);
    body += "</i4></value></member>"
            "<member><name>faultString</name><value>";
    body += XmlRpcUtil::xmlEncode(message);
    body += "</value></member>"
            "</struct></value></fault></methodResponse>\r\n";
    return body;
}

std::string SimResponse::http(const std::string &body, LengthMode lengthMode)
{
    std::string out;
    out.reserve(body.size() + 128);
    out += "HTTP/1.1 200 OK\r\nServer: axodriver-sim\r\nContent-Type: text/xml\r\n";
    switch (lengthMode) {
    case LengthActual:
        out += "Content-length: ";
        out += std::to_string(body.size());
        out += "\r\n";
        break;
    case LengthZero:
        out += "Content-length: 0\r\n";
        break;
    case LengthOmitted:
        break;
    }
    out += "\r\n";
    out += body;
    return out;
}

std::string SimResponse::httpError(int status, const std::string &text, bool close,
                                   const std::string &extraHeaders)
{
    const std::string body = std::to_string(status) + " " + reasonPhrase(status) + ": " + text + "\r\n";
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) + "\r\n";
    out += "Server: axodriver-sim\r\nContent-Type: text/plain\r\n";
    out += extraHeaders;
    if (close)
        out += "Connection: close\r\n";
    out += "Content-length: " + std::to_string(body.size()) + "\r\n\r\n";
    out += body;
    return out;
}

const char *SimResponse::reasonPhrase(int status)
{
    switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 505: return "HTTP Version Not Supported";
    default: return "Error";
    }
}
