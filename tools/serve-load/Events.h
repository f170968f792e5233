#ifndef SERVELOAD_EVENTS_H
#define SERVELOAD_EVENTS_H

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "Client.h"

class Report;

// A client holding GET /api/events open on a thread of its own, reading
// the events as they come: it counts them by type, checks that their ids
// only grow, and remembers the last value event of each setting.
class EventReader {
public:
    EventReader(std::string p_strUrl, Account p_account, Report& p_report, std::string p_strName);
    ~EventReader();
    EventReader(const EventReader&) = delete;
    EventReader& operator=(const EventReader&) = delete;

    void start();
    // Ends the stream from this side and joins the thread.
    void stop();
    // From now on the stream ending from the service's side is no error.
    void expectEnd() { m_bEndExpected = true; }

    // Until the stream's first bytes came (the service took it).
    bool waitConnected(double p_dSeconds);
    // Until a value event gives p_strName p_nValue.
    bool waitValue(const std::string& p_strName, int p_nValue, double p_dSeconds);
    // Until the service ended the stream.
    bool waitEnded(double p_dSeconds);

    std::map<std::string, size_t> counts() const;
    size_t disorders() const;

private:
    void run();
    void take(const std::string& p_strEvent);

    std::string m_strUrl;
    Account m_account;
    Report& m_report;
    std::string m_strName;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bEndExpected{false};

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_strPending;
    bool m_bConnected = false;
    bool m_bEnded = false;
    unsigned long long m_nLastId = 0;
    size_t m_nDisorders = 0;
    std::map<std::string, size_t> m_counts;
    std::map<std::string, int> m_lastValues;
};

#endif
