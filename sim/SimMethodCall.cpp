#include "SimMethodCall.h"

#include "XmlRpcUtil.h"

#include <cctype>

namespace {

// Moves past blanks, an XML declaration and comments before the root element.
int skipProlog(const std::string &body)
{
    size_t pos = 0;
    for (;;) {
        while (pos < body.size() && std::isspace(static_cast<unsigned char>(body[pos])))
            ++pos;
        if (body.compare(pos, 2, "<?") == 0) {
            const size_t end = body.find("?>", pos + 2);
            if (end == std::string::npos)
                return -1;
            pos = end + 2;
        } else if (body.compare(pos, 4, "<!--") == 0) {
            const size_t end = body.find("-->", pos + 4);
            if (end == std::string::npos)
                return -1;
            pos = end + 3;
        } else {
            return static_cast<int>(pos);
        }
    }
}

} // namespace

bool SimMethodCall::parse(const std::string &body, std::string *error)
{
    m_methodName.clear();
    m_params.clear();
    m_params.setSize(0);

    int offset = skipProlog(body);
    bool empty = false;
    if (offset < 0 || !XmlRpcUtil::nextTagIs("methodCall", body, &offset, &empty) || empty) {
        *error = "body is not a methodCall";
        return false;
    }

    int nameOffset = offset;
    std::string name;
    if (!XmlRpcUtil::nextTagIs("methodName", body, &nameOffset, &empty)
        || !XmlRpcUtil::parseTag("methodName", body, &offset, name)) {
        *error = "methodCall without methodName";
        return false;
    }
    m_methodName = XmlRpcUtil::xmlDecode(name);
    if (m_methodName.empty()) {
        *error = "empty methodName";
        return false;
    }

    if (XmlRpcUtil::nextTagIs("params", body, &offset, &empty) && !empty) {
        for (int index = 0; XmlRpcUtil::nextTagIs("param", body, &offset, &empty); ++index) {
            if (empty) {
                *error = "empty param element";
                return false;
            }
            XmlRpc::XmlRpcValue value;
            if (!value.fromXml(body, &offset) || !XmlRpcUtil::nextTagIsEnd("param", body, &offset)) {
                *error = "malformed param " + std::to_string(index + 1);
                return false;
            }
            m_params[index] = std::move(value);
        }
        if (!XmlRpcUtil::nextTagIsEnd("params", body, &offset)) {
            *error = "malformed params element";
            return false;
        }
    }
    if (!XmlRpcUtil::nextTagIsEnd("methodCall", body, &offset)) {
        *error = "methodCall not closed";
        return false;
    }
    return true;
}
