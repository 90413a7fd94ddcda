#include "XmlRpcDispatch.h"

#include "XmlRpcSource.h"
#include "XmlRpcUtil.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <poll.h>
#include <vector>

namespace {

// Asked for with readability: the peer has ended its stream (poll reports
// it along with POLLIN), so that a read goes on to notice the end.
#ifdef POLLRDHUP
const short kPeerClosedEvents = POLLRDHUP;
#else
const short kPeerClosedEvents = 0;
#endif

} // namespace

XmlRpcDispatch::XmlRpcDispatch() : m_endTime(-1.0), m_doClear(false), m_inWork(false)
{
}

XmlRpcDispatch::~XmlRpcDispatch() = default;

void XmlRpcDispatch::addSource(XmlRpc::XmlRpcSource *source, unsigned eventMask)
{
    m_sources.push_back(MonitoredSource{source, eventMask});
}

void XmlRpcDispatch::removeSource(XmlRpc::XmlRpcSource *source)
{
    for (auto it = m_sources.begin(); it != m_sources.end(); ++it) {
        if (it->source == source) {
            m_sources.erase(it);
            return;
        }
    }
}

void XmlRpcDispatch::setSourceEvents(XmlRpc::XmlRpcSource *source, unsigned eventMask)
{
    for (MonitoredSource &entry : m_sources) {
        if (entry.source == source) {
            entry.mask = eventMask;
            return;
        }
    }
}

double XmlRpcDispatch::getTime()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<double>(ms) / 1000.0;
}

void XmlRpcDispatch::work(double timeoutSeconds)
{
    m_endTime = timeoutSeconds < 0.0 ? -1.0 : getTime() + timeoutSeconds;
    m_doClear = false;
    m_inWork = true;
    double remaining = timeoutSeconds;

    while (!m_sources.empty()) {
        if (!waitFor(remaining))
            break;
        if (m_doClear) {
            std::list<MonitoredSource> closing;
            closing.swap(m_sources);
            for (MonitoredSource &entry : closing)
                entry.source->close();
            m_doClear = false;
        }
        if (m_endTime == 0.0)
            break;
        if (m_endTime > 0.0) {
            const double now = getTime();
            if (now > m_endTime)
                break;
            remaining = m_endTime - now;
            if (remaining < 0.0)
                remaining = 0.0;
        }
    }
    m_inWork = false;
}

bool XmlRpcDispatch::waitFor(double timeoutSeconds)
{
    // What this wait watches: the poll entries and, alongside, their sources
    // and masks. On the stack for the usual handful of sources.
    struct Watched
    {
        XmlRpc::XmlRpcSource *source;
        unsigned mask;
    };
    const size_t kOnStack = 8;
    pollfd fdsOnStack[kOnStack];
    Watched watchedOnStack[kOnStack];
    std::vector<pollfd> fdsOnHeap;
    std::vector<Watched> watchedOnHeap;
    pollfd *fds = fdsOnStack;
    Watched *watched = watchedOnStack;
    if (m_sources.size() > kOnStack) {
        fdsOnHeap.resize(m_sources.size());
        watchedOnHeap.resize(m_sources.size());
        fds = fdsOnHeap.data();
        watched = watchedOnHeap.data();
    }

    size_t count = 0;
    for (const MonitoredSource &entry : m_sources) {
        const int fd = entry.source->getfd();
        if (fd < 0 || entry.mask == 0)
            continue;
        short events = 0;
        if (entry.mask & ReadableEvent)
            events |= POLLIN | kPeerClosedEvents;
        if (entry.mask & WritableEvent)
            events |= POLLOUT;
        if (entry.mask & Exception)
            events |= POLLPRI;
        fds[count] = pollfd{fd, events, 0};
        watched[count] = Watched{entry.source, entry.mask};
        ++count;
    }

    // At most a day per wait: a longer limit goes on in the next wait
    // instead of overflowing the milliseconds.
    const int timeoutMs =
        timeoutSeconds < 0.0 ? -1 : static_cast<int>(std::ceil(std::min(timeoutSeconds, 86400.0) * 1000.0));
    const int result = ::poll(fds, count, timeoutMs);
    if (result < 0) {
        if (errno == EINTR)
            return true;
        XmlRpcUtil::error("Error in XmlRpcDispatch::work: error in select (%d).", errno);
        return false;
    }

    // A handler may add or remove sources: go by what was watched.
    for (size_t i = 0; i < count; ++i) {
        XmlRpc::XmlRpcSource *source = watched[i].source;
        const unsigned mask = watched[i].mask;
        // A source listed twice goes by its first entry's events.
        size_t index = 0;
        while (watched[index].source != source)
            ++index;
        const short revents = fds[index].revents;
        if (revents == 0)
            continue;
        const bool failed = (revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;

        // A failed socket is reported to a reader as readable (the read
        // tells what happened) and to a writer that is not reading as an
        // exception, which is how a refused connect shows.
        bool readable = (mask & ReadableEvent) && (revents & POLLIN || failed);
        bool writable = (mask & WritableEvent) && (revents & POLLOUT);
        bool exception = (mask & Exception) && (revents & POLLPRI);
        if (failed && !(mask & ReadableEvent) && (mask & Exception)) {
            writable = false;
            exception = true;
        }
        if (!readable && !writable && !exception)
            continue;

        source->m_peerClosed = failed || (revents & kPeerClosedEvents) != 0;
        unsigned newMask = 0;
        if (readable)
            newMask |= source->handleEvent(ReadableEvent);
        if (writable)
            newMask |= source->handleEvent(WritableEvent);
        if (exception)
            newMask |= source->handleEvent(Exception);

        if (newMask == 0) {
            removeSource(source);
            if (!source->getKeepOpen())
                source->close();
        } else {
            setSourceEvents(source, newMask);
        }
    }
    return true;
}

void XmlRpcDispatch::exit()
{
    m_endTime = 0.0;
}

void XmlRpcDispatch::clear()
{
    m_doClear = true;
}
