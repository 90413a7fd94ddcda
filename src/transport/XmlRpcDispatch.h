#ifndef XMLRPCDISPATCH_H
#define XMLRPCDISPATCH_H

#include "AXOCommGlobal.h"

#include <list>

namespace XmlRpc {
class XmlRpcSource;
}

//! Waits for events on a set of sources and hands them to the sources.
class AXOCOMM_EXPORT XmlRpcDispatch
{
public:
    enum EventType {
        ReadableEvent = 1,
        WritableEvent = 2,
        Exception = 4
    };

    XmlRpcDispatch();
    ~XmlRpcDispatch();

    XmlRpcDispatch(const XmlRpcDispatch &) = delete;
    XmlRpcDispatch &operator=(const XmlRpcDispatch &) = delete;

    void addSource(XmlRpc::XmlRpcSource *source, unsigned eventMask);
    void removeSource(XmlRpc::XmlRpcSource *source);
    void setSourceEvents(XmlRpc::XmlRpcSource *source, unsigned eventMask);

    //! Runs until no source is left, exit() is called or the time limit
    //! (seconds; negative: none) has passed.
    void work(double timeoutSeconds);
    void exit();
    void clear();

    bool empty() const { return m_sources.empty(); }

    //! Monotonic seconds with millisecond resolution.
    static double getTime();

private:
    struct MonitoredSource
    {
        XmlRpc::XmlRpcSource *source;
        unsigned mask;
    };

    bool waitFor(double timeoutSeconds);

    std::list<MonitoredSource> m_sources;
    double m_endTime;
    bool m_doClear;
    bool m_inWork;
};

#endif // XMLRPCDISPATCH_H
