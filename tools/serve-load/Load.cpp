#include "Load.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <shared_mutex>
#include <thread>

#include "Camera.h"
#include "Daemon.h"
#include "Events.h"
#include "Onvif.h"
#include "Report.h"

using nlohmann::json;

namespace {

using Clock = std::chrono::steady_clock;

// Growth over a round that still counts as flat.
const int kThreadMargin = 4;
const long kRssMarginKiB = 4096;
// Seconds of load before the threads and memory are first sampled.
const double kWarmUpSeconds = 10;
// How long the simulated module may stay silent after the faults stop.
const int kRestartSilenceMs = 1500;

double secondsSince(Clock::time_point p_start) {
    return std::chrono::duration<double>(Clock::now() - p_start).count();
}

// Sleeps in short steps so that a stop is noticed soon.
void pause(const std::atomic<bool>& p_stop, double p_dSeconds) {
    Clock::time_point until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(p_dSeconds));
    while (!p_stop && Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// One client: its own connection, its own settings (nobody else writes
// them, so what it last had acknowledged is what it must read back).
class LoadClient {
public:
    LoadClient(Camera& p_camera, Report& p_report, std::vector<const Setting*> p_own,
               unsigned p_nDraw, bool p_bFaults, const std::string& p_strSource)
        : m_camera(p_camera),
          m_report(p_report),
          m_own(std::move(p_own)),
          m_random(p_nDraw),
          m_bFaults(p_bFaults),
          m_client(p_camera.url(), p_strSource) {
        m_client.setAccount(p_camera.operatorAccount());
        for (const Setting* setting : m_own) {
            if (!setting->strOnvif.empty()) {
                m_onvif.push_back(setting);
            }
        }
    }

    void run(const std::atomic<bool>& p_stop, std::atomic<int>& p_started) {
        bool first = true;
        while (!p_stop) {
            int dice = std::uniform_int_distribution<int>(0, 99)(m_random);
            {
                std::shared_lock<Gate> gate(m_camera.gate());
                if (!m_own.empty() && dice < 20) {
                    jsonSet();
                } else if (!m_onvif.empty() && dice < 32) {
                    onvifSet();
                } else if (dice < 52) {
                    onvifGet();
                } else if (dice < 76) {
                    jsonParameters();
                } else {
                    jsonStatus();
                }
            }
            if (first) {
                first = false;
                ++p_started;
            }
        }
    }

    const LatencyLog& log() const { return m_log; }

private:
    std::vector<const Setting*> choose(const std::vector<const Setting*>& p_from, size_t p_nMax) {
        std::vector<const Setting*> chosen = p_from;
        std::shuffle(chosen.begin(), chosen.end(), m_random);
        size_t count =
            std::uniform_int_distribution<size_t>(1, std::min(p_nMax, chosen.size()))(m_random);
        chosen.resize(count);
        return chosen;
    }

    void jsonSet() {
        json values = json::object();
        std::vector<std::pair<const Setting*, int> > writes;
        for (const Setting* setting : choose(m_own, 3)) {
            int value = setting->pick(m_random, m_camera.expected(setting->strName));
            std::string entry = setting->entryName(value);
            // A menu takes its entry's name as well as its code.
            if (!entry.empty() && m_random() % 2 == 0) {
                values[setting->strName] = entry;
            } else {
                values[setting->strName] = value;
            }
            writes.emplace_back(setting, value);
        }
        bool persist = m_random() % 4 != 0;
        std::string request = json{{"values", values}, {"persist", persist}}.dump();
        Reply reply = m_client.post("/api/parameters", request);
        m_log.add("json set", reply.dMillis);
        if (reply.ok()) {
            json body = json::parse(reply.strBody, nullptr, false);
            for (const auto& write : writes) {
                const std::string& name = write.first->strName;
                if (!body.is_object() || !body["values"].is_object() ||
                    body["values"].value(name, json()) != json(write.second)) {
                    m_report.error("json set: the answer does not echo the value",
                                   "POST /api/parameters " + request, reply.strBody);
                }
                m_camera.acknowledge(name, write.second);
            }
            return;
        }
        failedWrite("json set", reply.nStatus == 502 && reply.strCurlError.empty(),
                    "POST /api/parameters " + request, reply.summary(), reply.strBody, writes);
    }

    void onvifSet() {
        std::vector<std::pair<const Setting*, int> > writes;
        std::vector<std::pair<std::string, int> > values;
        for (const Setting* setting : choose(m_onvif, 2)) {
            int value = setting->pick(m_random, m_camera.expected(setting->strName));
            writes.emplace_back(setting, value);
            values.emplace_back(setting->strOnvif, value);
        }
        std::string body = onvif::setImagingSettings(values);
        Reply reply =
            m_client.soap(onvif::kImagingPath,
                          onvif::envelope(onvif::securityHeader(m_camera.operatorAccount()), body));
        m_log.add("onvif set", reply.dMillis);
        onvif::Answer answer = onvif::read(reply.strBody);
        if (reply.ok() && answer.bParsed && !answer.bFault) {
            for (const auto& write : writes) {
                m_camera.acknowledge(write.first->strName, write.second);
            }
            return;
        }
        failedWrite("onvif set", answer.bFault && answer.strCode == "Receiver",
                    "SetImagingSettings " + body, reply.summary() + " " + answer.describe(),
                    answer.strReason.empty() ? reply.strBody : answer.strReason, writes);
    }

    // A write that was not acknowledged: with faults injected a module
    // failure is expected, and then nothing of it may have stayed.
    void failedWrite(const std::string& p_strKind, bool p_bModuleFailure,
                     const std::string& p_strRequest, const std::string& p_strSummary,
                     const std::string& p_strAnswer,
                     const std::vector<std::pair<const Setting*, int> >& p_writes) {
        if (m_bFaults && p_bModuleFailure) {
            m_report.expected(p_strKind + ": " + p_strSummary);
        } else {
            m_report.error(p_strKind + ": " + p_strSummary, p_strRequest, p_strAnswer);
        }
        std::map<std::string, int> values;
        std::string error;
        if (!m_camera.readValues(m_client, values, error)) {
            m_report.error(p_strKind + ": cannot read back after a failed write",
                           "GET /api/parameters", error);
            return;
        }
        for (const auto& write : p_writes) {
            const std::string& name = write.first->strName;
            m_camera.failed(name, write.second);
            int before = m_camera.expected(name);
            if (values.count(name) != 0 && values[name] != before) {
                m_report.error(p_strKind + ": a failed write changed the value", p_strRequest,
                               p_strSummary + " " + excerpt(p_strAnswer, 160) + "; then " + name +
                                   " read " + std::to_string(values[name]) + ", was " +
                                   std::to_string(before));
                // Go on from what the service holds: one fault, one report.
                m_camera.acknowledge(name, values[name]);
            }
        }
    }

    void onvifGet() {
        Reply reply = m_client.soap(
            onvif::kImagingPath, onvif::envelope(onvif::securityHeader(m_camera.operatorAccount()),
                                                 onvif::getImagingSettings()));
        m_log.add("onvif get", reply.dMillis);
        onvif::Answer answer = onvif::read(reply.strBody);
        if (!reply.ok() || !answer.bParsed || answer.bFault) {
            m_report.error("onvif get: " + reply.summary() + " " + answer.describe(),
                           "GetImagingSettings",
                           answer.strReason.empty() ? reply.strBody : answer.strReason);
            return;
        }
        for (const Setting* setting : m_onvif) {
            int expected = m_camera.expected(setting->strName);
            auto it = answer.settings.find(setting->strOnvif);
            if (it == answer.settings.end() || it->second != expected) {
                m_report.error("onvif get: not the client's own last write",
                               "GetImagingSettings (" + setting->strOnvif + ")",
                               (it == answer.settings.end() ? std::string("absent")
                                                            : "read " + fixed(it->second, 2)) +
                                   ", last acknowledged " + std::to_string(expected) +
                                   m_camera.history(setting->strName));
            }
        }
    }

    void jsonParameters() {
        Reply reply = m_client.get("/api/parameters");
        m_log.add("json parameters", reply.dMillis);
        json body = json::parse(reply.strBody, nullptr, false);
        if (!reply.ok() || !body.is_object() || !body["parameters"].is_array()) {
            m_report.error("json parameters: " + reply.summary(), "GET /api/parameters",
                           reply.strBody);
            return;
        }
        for (const json& entry : body["parameters"]) {
            std::string name = entry.value("name", "");
            for (const Setting* setting : m_own) {
                int expected = m_camera.expected(name);
                if (setting->strName == name && entry.value("value", json()) != json(expected)) {
                    m_report.error("json parameters: not the client's own last write",
                                   "GET /api/parameters (" + name + ")",
                                   "read " + entry.value("value", json()).dump() +
                                       ", last acknowledged " + std::to_string(expected) +
                                       m_camera.history(name));
                }
            }
        }
    }

    void jsonStatus() {
        Reply reply = m_client.get("/api/status");
        m_log.add("json status", reply.dMillis);
        json body = json::parse(reply.strBody, nullptr, false);
        if (!reply.ok() || !body.is_object() || !body.contains("dayNightState")) {
            m_report.error("json status: " + reply.summary(), "GET /api/status", reply.strBody);
        }
    }

    Camera& m_camera;
    Report& m_report;
    std::vector<const Setting*> m_own;
    std::vector<const Setting*> m_onvif;
    std::mt19937 m_random;
    bool m_bFaults;
    HttpClient m_client;
    LatencyLog m_log;
};

// Moves the scene (and the virtual clock) so that the day/night logic
// switches, and now and then switches the scheme with the clients held
// off. Not while faults are injected: a switch that fails half way keeps
// what it applied and its new index (the library's way), which would be
// values no client wrote, and that round is about the clients' writes.
void drive(Camera& p_camera, Report& p_report, const LoadOptions& p_options,
           const std::atomic<bool>& p_stop, LatencyLog& p_log) {
    HttpClient client(p_camera.url());
    client.setAccount(p_camera.admin());
    auto simulate = [&](const json& p_body) {
        Reply reply = client.post("/api/simulation", p_body.dump());
        p_log.add("simulation", reply.dMillis);
        if (!reply.ok()) {
            p_report.error("simulation: " + reply.summary(),
                           "POST /api/simulation " + p_body.dump(), reply.strBody);
        }
    };
    Clock::time_point start = Clock::now();
    int light = 90;
    double nextLight = 0;
    double nextScheme = 4;
    while (!p_stop) {
        double now = secondsSince(start);
        json body = json::object();
        if (now >= nextLight) {
            // Long enough in each light for the switch delay to pass.
            light = light > 50 ? 5 : 95;
            body["light"] = light;
            nextLight = now + 6;
        }
        if (p_options.bVirtualTime) {
            body["advance"] = 30;
        }
        if (!body.empty()) {
            simulate(body);
        }
        if (p_camera.schemes() >= 2 && p_options.dFaults == 0 && now >= nextScheme) {
            std::unique_lock<Gate> gate(p_camera.gate());
            int next = p_camera.scheme() < 0
                           ? 0
                           : (p_camera.scheme() + 1) % std::min(3, p_camera.schemes());
            p_camera.switchScheme(client, next, p_report, &p_log);
            nextScheme = secondsSince(start) + 4;
        }
        pause(p_stop, p_options.bVirtualTime ? 0.5 : 0.25);
    }
}

std::string threadsAndRss(const ProcessSample& p_sample) {
    return std::to_string(p_sample.nThreads) + " threads, " + fixed(p_sample.nRssKiB / 1024.0) +
           " MiB";
}

}  // namespace

void runLoad(const std::string& p_strRound, Camera& p_camera, Daemon& p_daemon, Report& p_report,
             const LoadOptions& p_options) {
    HttpClient admin(p_camera.url());
    admin.setAccount(p_camera.admin());
    if (p_options.dFaults > 0) {
        Reply reply =
            admin.post("/api/simulation",
                       json{{"faults", p_options.dFaults}, {"draw", p_options.nDraw}}.dump());
        if (!reply.ok()) {
            p_report.error("simulation: " + reply.summary(), "POST /api/simulation faults",
                           reply.strBody);
        }
    }
    // The stream readers first, so that they see every write of the round.
    int readerCount = p_options.nClients >= 8 ? 2 : 1;
    std::vector<std::unique_ptr<EventReader> > readers;
    for (int index = 0; index < readerCount; ++index) {
        readers.emplace_back(new EventReader(p_camera.url(), p_camera.viewer(), p_report,
                                             p_strRound + " events " + std::to_string(index)));
        readers.back()->start();
        if (!readers.back()->waitConnected(10)) {
            p_report.error(p_strRound + ": the event stream did not start", "GET /api/events",
                           "nothing within 10 s");
        }
    }

    // Writers get two or three settings each, ONVIF ones dealt first.
    std::vector<const Setting*> deal;
    for (const Setting& setting : p_camera.settings()) {
        if (!setting.strOnvif.empty()) {
            deal.push_back(&setting);
        }
    }
    for (const Setting& setting : p_camera.settings()) {
        if (setting.strOnvif.empty()) {
            deal.push_back(&setting);
        }
    }
    int writers = std::max(1, std::min<int>(p_options.nClients, static_cast<int>(deal.size()) / 2));
    std::vector<std::vector<const Setting*> > own(static_cast<size_t>(p_options.nClients));
    for (size_t index = 0; index < deal.size(); ++index) {
        own[index % static_cast<size_t>(writers)].push_back(deal[index]);
    }
    std::vector<std::unique_ptr<LoadClient> > clients;
    for (int index = 0; index < p_options.nClients; ++index) {
        // Sixteen an address: sensord limits the connections of one address.
        std::string source = "127.0.1." + std::to_string(1 + index / 16);
        clients.emplace_back(new LoadClient(p_camera, p_report, own[static_cast<size_t>(index)],
                                            p_options.nDraw * 7919u + static_cast<unsigned>(index),
                                            p_options.dFaults > 0, source));
    }

    std::atomic<bool> stop{false};
    std::atomic<int> started{0};
    LatencyLog driverLog;
    Clock::time_point start = Clock::now();
    std::vector<std::thread> threads;
    for (auto& client : clients) {
        LoadClient* pointer = client.get();
        threads.emplace_back([pointer, &stop, &started] { pointer->run(stop, started); });
    }
    std::thread driver([&] { drive(p_camera, p_report, p_options, stop, driverLog); });
    while (started < p_options.nClients && secondsSince(start) < 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Each connection's thread and the allocator's arenas settle in the
    // first seconds: growth is measured from then.
    double warmUp = std::min(kWarmUpSeconds, p_options.dSeconds / 4);
    while (secondsSince(start) < warmUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ProcessSample first = p_daemon.sample();
    while (secondsSince(start) < p_options.dSeconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ProcessSample last = p_daemon.sample();
    stop = true;
    for (std::thread& thread : threads) {
        thread.join();
    }
    driver.join();
    double seconds = secondsSince(start);
    if (p_options.dFaults > 0) {
        Reply reply = admin.post("/api/simulation", json{{"faults", 0}}.dump());
        if (!reply.ok()) {
            p_report.error("simulation: " + reply.summary(), "POST /api/simulation faults 0",
                           reply.strBody);
        }
        // An injected restart keeps a serial module silent for a second.
        std::this_thread::sleep_for(std::chrono::milliseconds(kRestartSilenceMs));
    }

    // A last write must reach every stream: they are alive, not just open.
    const Setting& marked = p_camera.settings().front();
    int mark = 0;
    {
        std::mt19937 random(p_options.nDraw);
        mark = marked.pick(random, p_camera.expected(marked.strName));
    }
    std::string request = json{{"values", {{marked.strName, mark}}}}.dump();
    HttpClient writer(p_camera.url());
    writer.setAccount(p_camera.operatorAccount());
    Reply reply = writer.post("/api/parameters", request);
    if (reply.ok()) {
        p_camera.acknowledge(marked.strName, mark);
    } else {
        p_report.error("json set: " + reply.summary(), "POST /api/parameters " + request,
                       reply.strBody);
    }
    size_t delivered = 0;
    std::map<std::string, size_t> events;
    size_t disorders = 0;
    for (auto& reader : readers) {
        delivered += reply.ok() && reader->waitValue(marked.strName, mark, 5) ? 1 : 0;
        reader->stop();
        for (const auto& entry : reader->counts()) {
            events[entry.first] += entry.second;
        }
        disorders += reader->disorders();
    }
    p_report.check(p_strRound + ": a write after the load reaches each event stream",
                   std::to_string(delivered) + "/" + std::to_string(readers.size()), "all",
                   delivered == readers.size());
    std::string eventText;
    for (const auto& entry : events) {
        eventText +=
            (eventText.empty() ? "" : ", ") + entry.first + " " + std::to_string(entry.second);
    }
    p_report.figure(p_strRound + ": events read", eventText.empty() ? "none" : eventText);
    p_report.check(p_strRound + ": event ids out of order", std::to_string(disorders), "0",
                   disorders == 0);

    size_t differences = p_camera.verify(admin, p_report, p_strRound + " end");
    differences += p_camera.verifyOnvif(admin, p_report, p_strRound + " end (ONVIF)");
    p_report.check(
        p_strRound + ": final values = last acknowledged writes",
        std::to_string(differences) + " differ of " + std::to_string(p_camera.settings().size()),
        "0 differ", differences == 0);

    LatencyLog log = driverLog;
    for (auto& client : clients) {
        log.merge(client->log());
    }
    p_report.figure(p_strRound + ": clients, seconds, requests per second",
                    std::to_string(p_options.nClients) + ", " + fixed(seconds) + ", " +
                        fixed(log.count() / seconds));
    std::string span = ", after " + fixed(warmUp, 0) + " s of load -> end";
    p_report.check(p_strRound + ": threads" + span,
                   std::to_string(first.nThreads) + " -> " + std::to_string(last.nThreads),
                   "+" + std::to_string(kThreadMargin),
                   first.bOk && last.bOk && last.nThreads <= first.nThreads + kThreadMargin);
    long rssMargin = std::max(kRssMarginKiB, first.nRssKiB / 5);
    p_report.check(p_strRound + ": VmRSS" + span,
                   fixed(first.nRssKiB / 1024.0) + " -> " + fixed(last.nRssKiB / 1024.0) + " MiB",
                   "+" + fixed(rssMargin / 1024.0) + " MiB",
                   first.bOk && last.bOk && last.nRssKiB <= first.nRssKiB + rssMargin);
    p_report.latencies(p_strRound, log, seconds);
    std::cerr << "serve-load: " << p_strRound << " done: " << log.count() << " requests, "
              << threadsAndRss(last) << "\n";
}
