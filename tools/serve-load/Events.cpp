#include "Events.h"

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>

#include "Report.h"

EventReader::EventReader(std::string p_strUrl, Account p_account, Report& p_report,
                         std::string p_strName)
    : m_strUrl(std::move(p_strUrl)),
      m_account(std::move(p_account)),
      m_report(p_report),
      m_strName(std::move(p_strName)) {}

EventReader::~EventReader() {
    stop();
}

void EventReader::start() {
    m_bStop = false;
    m_thread = std::thread([this] { run(); });
}

void EventReader::stop() {
    m_bStop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void EventReader::run() {
    HttpClient client(m_strUrl);
    client.setAccount(m_account);
    Reply reply = client.stream(
        "/api/events",
        [this](const char* p_pData, size_t p_nSize) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bConnected = true;
            m_strPending.append(p_pData, p_nSize);
            std::string::size_type end;
            while ((end = m_strPending.find("\n\n")) != std::string::npos) {
                std::string event = m_strPending.substr(0, end);
                m_strPending.erase(0, end + 2);
                take(event);
            }
            m_changed.notify_all();
        },
        m_bStop);
    bool byUs = m_bStop.load();
    if (!byUs && !m_bEndExpected) {
        m_report.error("events: the stream ended", m_strName + ": GET /api/events",
                       reply.summary() + " " + reply.strBody);
    } else if (!byUs && reply.nStatus != 200) {
        m_report.error("events: " + reply.summary(), m_strName + ": GET /api/events",
                       reply.strBody);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bEnded = true;
    m_changed.notify_all();
}

// One event's lines; the caller holds the lock.
void EventReader::take(const std::string& p_strEvent) {
    std::istringstream lines(p_strEvent);
    std::string line;
    std::string type;
    std::string data;
    bool hasId = false;
    unsigned long long id = 0;
    while (std::getline(lines, line)) {
        if (line.compare(0, 4, "id: ") == 0) {
            id = std::strtoull(line.c_str() + 4, nullptr, 10);
            hasId = true;
        } else if (line.compare(0, 7, "event: ") == 0) {
            type = line.substr(7);
        } else if (line.compare(0, 6, "data: ") == 0) {
            data += line.substr(6);
        }
    }
    if (type.empty()) {
        return;  // the retry hint, or a comment that keeps the line alive
    }
    ++m_counts[type];
    if (hasId) {
        if (id <= m_nLastId) {
            ++m_nDisorders;
        }
        m_nLastId = id;
    }
    if (type == "value") {
        nlohmann::json body = nlohmann::json::parse(data, nullptr, false);
        if (body.is_object() && body.contains("name") && body["value"].is_number_integer()) {
            m_lastValues[body.value("name", "")] = body["value"].get<int>();
        }
    }
}

bool EventReader::waitConnected(double p_dSeconds) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::duration<double>(p_dSeconds), [this] {
        return m_bConnected || m_bEnded;
    }) && m_bConnected;
}

bool EventReader::waitValue(const std::string& p_strName, int p_nValue, double p_dSeconds) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::duration<double>(p_dSeconds), [&] {
        auto it = m_lastValues.find(p_strName);
        return m_bEnded || (it != m_lastValues.end() && it->second == p_nValue);
    }) && !m_bEnded;
}

bool EventReader::waitEnded(double p_dSeconds) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::duration<double>(p_dSeconds),
                              [this] { return m_bEnded; });
}

std::map<std::string, size_t> EventReader::counts() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_counts;
}

size_t EventReader::disorders() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nDisorders;
}
