#include "EventStream.h"

EventStream::EventStream(size_t p_nKept) : m_nKept(p_nKept == 0 ? 1 : p_nKept) {}

void EventStream::publish(const std::string& p_strType, const std::string& p_strData) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bClosed) {
            return;
        }
        m_events.push_back(Event{++m_nLast, p_strType, p_strData});
        if (m_events.size() > m_nKept) {
            m_events.pop_front();
        }
    }
    m_changed.notify_all();
}

std::vector<EventStream::Event> EventStream::after(std::uint64_t p_nAfter,
                                                   std::chrono::milliseconds p_timeout) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, p_timeout, [&] { return m_bClosed || m_nLast > p_nAfter; });
    std::vector<Event> events;
    if (m_bClosed || m_nLast <= p_nAfter) {
        return events;
    }
    if (m_events.empty() || m_events.front().nSequence > p_nAfter + 1) {
        // Some of what the client missed is gone: it reads everything again.
        events.push_back(Event{m_nLast, "resync", "{}"});
        return events;
    }
    for (const Event& event : m_events) {
        if (event.nSequence > p_nAfter) {
            events.push_back(event);
        }
    }
    return events;
}

std::uint64_t EventStream::lastSequence() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nLast;
}

void EventStream::close() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bClosed = true;
    }
    m_changed.notify_all();
}

bool EventStream::closed() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bClosed;
}
