// Built against the installed package only.
#include <AXOComm/AXOComm.h>

#include <cstdio>

int main()
{
    XmlRpc::XmlRpcValue value;
    value["driver"] = NEDriverParamsList(QStringLiteral("127.0.0.1:9333")).toParamString().toStdString();
    NELogger::instance()->info(QStringLiteral("no logger yet, dropped"));
    const bool ok = value.toXml() == "<value><struct><member><name>driver</name>"
                                     "<value>127.0.0.1:9333</value></member></struct></value>";
    std::printf("%s\n", ok ? "consumer ok" : value.toXml().c_str());
    return ok ? 0 : 1;
}
