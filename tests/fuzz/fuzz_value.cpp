// Fuzzes XmlRpcValue::fromXml: any text either parses into a value or fails
// leaving the value invalid and the offset where it was. What the writer
// makes of a parsed value must parse again into a value of the same shape.

#include "XmlRpcErrorHandler.h"
#include "XmlRpcUtil.h"
#include "XmlRpcValue.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

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

// Dates outside four-digit years do not survive the fixed-width text.
bool holdsDate(const XmlRpcValue &value)
{
    switch (value.getType()) {
    case XmlRpcValue::TypeDateTime:
        return true;
    case XmlRpcValue::TypeArray:
        for (const XmlRpcValue &element : value.asArray())
            if (holdsDate(element))
                return true;
        return false;
    case XmlRpcValue::TypeStruct:
        for (const auto &member : value.asStruct())
            if (holdsDate(member.second))
                return true;
        return false;
    default:
        return false;
    }
}

// Same kinds, sizes and member names all the way down.
bool sameShape(const XmlRpcValue &a, const XmlRpcValue &b)
{
    if (a.getType() != b.getType())
        return false;
    if (a.getType() == XmlRpcValue::TypeArray) {
        if (a.size() != b.size())
            return false;
        for (int i = 0; i < a.size(); ++i)
            if (!sameShape(a[i], b[i]))
                return false;
    } else if (a.getType() == XmlRpcValue::TypeStruct) {
        if (a.size() != b.size())
            return false;
        // Names are read verbatim and written with entities.
        for (const auto &member : a.asStruct()) {
            const std::string written = XmlRpcUtil::xmlEncode(member.first);
            if (!b.hasMember(written) || !sameShape(member.second, b[written]))
                return false;
        }
    } else if (a.getType() == XmlRpcValue::TypeString || a.getType() == XmlRpcValue::TypeBase64) {
        return a.size() == b.size();
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Silent silent;
    XmlRpcUtil::setErrorHandler(&silent);

    const std::string xml(reinterpret_cast<const char *>(data), size);
    XmlRpcValue value(42);
    int offset = 0;
    if (!value.fromXml(xml, &offset)) {
        check(offset == 0 && !value.valid());
        return 0;
    }
    check(offset > 0 && static_cast<size_t>(offset) <= xml.size() && value.valid());

    // The other ways of looking at a value must cope with whatever parsed.
    const XmlRpcValue copy = value;
    (void)value.toText();
    const std::string written = value.toXml();
    if (holdsDate(value))
        return 0;
    XmlRpcValue again;
    int writtenOffset = 0;
    check(again.fromXml(written, &writtenOffset));
    check(static_cast<size_t>(writtenOffset) == written.size());
    check(sameShape(value, again) && sameShape(copy, again));
    return 0;
}
