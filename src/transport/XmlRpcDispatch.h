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
    //! Bits of an event mask.
    enum EventType {
        ReadableEvent = 1, //!< data to read, or the peer closed
        WritableEvent = 2, //!< room to write
        Exception = 4 //!< urgent data, or a failure of a source not watched for reading
    };

    //! A dispatcher without sources.
    XmlRpcDispatch();
    //! Leaves the sources alone.
    ~XmlRpcDispatch();

    //! Not copyable.
    XmlRpcDispatch(const XmlRpcDispatch &) = delete;
    //! Not assignable.
    XmlRpcDispatch &operator=(const XmlRpcDispatch &) = delete;

    //! Watches a source for the events of the mask; the source is not owned.
    void addSource(XmlRpc::XmlRpcSource *source, unsigned eventMask);
    //! Stops watching a source.
    void removeSource(XmlRpc::XmlRpcSource *source);
    //! Changes the events watched on a source.
    void setSourceEvents(XmlRpc::XmlRpcSource *source, unsigned eventMask);

    //! Runs until no source is left, exit() is called or the time limit
    //! (seconds; negative: none) has passed.
    void work(double timeoutSeconds);
    //! Makes work() return after the current turn.
    void exit();
    //! Makes a running work() close and drop every source after its current wait.
    void clear();

    //! Whether no source is watched.
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
