#ifndef SENSORD_EVENTSTREAM_H
#define SENSORD_EVENTSTREAM_H

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

// Every change the service sees, numbered, for the clients that follow them
// (the JSON API's server-sent events). The last few hundred are kept, so a
// client that reconnects with Last-Event-ID misses nothing recent; one that
// fell further behind is told to read everything again.
class EventStream {
public:
    struct Event {
        std::uint64_t nSequence = 0;
        std::string strType;  // "value", "daynight", "scheme", "resync"
        std::string strData;  // one JSON object
    };

    explicit EventStream(size_t p_nKept = 512);

    void publish(const std::string& p_strType, const std::string& p_strData);
    // The events after p_nAfter, waiting up to p_timeout for one; empty on
    // time-out or once closed. A client further behind than what is kept
    // gets one "resync" event.
    std::vector<Event> after(std::uint64_t p_nAfter, std::chrono::milliseconds p_timeout);
    std::uint64_t lastSequence() const;
    // Wakes every waiter and ends the stream.
    void close();
    bool closed() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Event> m_events;
    size_t m_nKept;
    std::uint64_t m_nLast = 0;
    bool m_bClosed = false;
};

#endif
