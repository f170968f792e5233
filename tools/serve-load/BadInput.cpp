#include "BadInput.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <thread>

#include "Camera.h"
#include "Onvif.h"
#include "Report.h"

using nlohmann::json;

namespace {

using Clock = std::chrono::steady_clock;

// Addresses the cases come from: failed log-ins slow down their address,
// and the connection limits count by address; the load's own stay clear.
const char* const kBadSource = "127.0.0.2";
const char* const kSlowSource = "127.0.0.3";

double secondsSince(Clock::time_point p_start) {
    return std::chrono::duration<double>(Clock::now() - p_start).count();
}

int portOf(const std::string& p_strUrl) {
    return std::atoi(p_strUrl.c_str() + p_strUrl.rfind(':') + 1);
}

// A plain TCP connection from p_szSource; -1 when it cannot be made.
int connectFrom(const char* p_szSource, int p_nPort) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, p_szSource, &local.sin_addr);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<uint16_t>(p_nPort));
    inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof(remote)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Whether the service closed the connection (or answered on it) within
// p_nMillis.
bool closedWithin(int p_nFd, int p_nMillis) {
    pollfd entry{p_nFd, POLLIN | POLLRDHUP, 0};
    return poll(&entry, 1, p_nMillis) > 0;
}

std::string jsonAnswer(const Reply& p_reply) {
    return p_reply.summary() + " " + excerpt(p_reply.strBody, 90);
}

std::string soapAnswer(const Reply& p_reply) {
    onvif::Answer answer = onvif::read(p_reply.strBody);
    return p_reply.summary() + " " + answer.describe() +
           (answer.strReason.empty() ? "" : ": " + excerpt(answer.strReason, 90));
}

bool isFault(const Reply& p_reply, long p_nStatus, const char* p_szCode, const char* p_szSubcode) {
    onvif::Answer answer = onvif::read(p_reply.strBody);
    return p_reply.strCurlError.empty() && (p_nStatus == 0 || p_reply.nStatus == p_nStatus) &&
           answer.bFault && (p_szCode == nullptr || answer.strCode == p_szCode) &&
           (p_szSubcode == nullptr || answer.strSubcode == p_szSubcode);
}

class BadInput {
public:
    BadInput(Camera& p_camera, Report& p_report, const ServiceLimits& p_limits)
        : m_camera(p_camera),
          m_report(p_report),
          m_limits(p_limits),
          m_client(p_camera.url(), kBadSource),
          m_nPort(portOf(p_camera.url())) {
        m_client.setAccount(p_camera.operatorAccount());
    }

    void run() {
        oversizedBody();
        xml();
        credentials();
        jsonAndValues();
        slowClient();
        tooManyConnections();
    }

private:
    Reply soap(const std::string& p_strEnvelope) {
        return m_client.soap(onvif::kImagingPath, p_strEnvelope);
    }

    std::string signedGet(const Account& p_account, int p_nAge = 0) {
        return onvif::envelope(onvif::securityHeader(p_account, p_nAge),
                               onvif::getImagingSettings());
    }

    // The settings must still hold what was last acknowledged.
    std::string unchanged() {
        HttpClient client(m_camera.url());
        client.setAccount(m_camera.admin());
        size_t differences = m_camera.verify(client, m_report, "bad input");
        return differences == 0 ? "values unchanged" : "values CHANGED";
    }

    void oversizedBody() {
        HttpClient anonymous(m_camera.url(), kBadSource);
        long long asked = 0;
        Reply reply = anonymous.announceBody("/api/parameters", 1LL << 30, asked);
        m_report.badInput("body over the limit (1 GiB announced, none sent)",
                          reply.summary() + " after " + fixed(reply.dMillis, 0) + " ms, " +
                              std::to_string(asked) + " body bytes asked",
                          "413 before any body byte",
                          reply.nStatus == 413 && asked == 0 && reply.dMillis < 5000);
    }

    void xml() {
        const Account& user = m_camera.operatorAccount();
        std::string header = onvif::securityHeader(user);
        Reply reply = soap(onvif::envelope(
            header,
            "<timg:GetImagingSettings><timg:VideoSourceToken>&x;</timg:VideoSourceToken>"
            "</timg:GetImagingSettings>",
            "<!DOCTYPE s:Envelope [<!ENTITY x \"VideoSource_1\">]>\n"));
        m_report.badInput("DOCTYPE / ENTITY envelope", soapAnswer(reply), "400 Sender",
                          isFault(reply, 400, "Sender", nullptr));

        std::string whole = signedGet(user);
        reply = soap(whole.substr(0, whole.size() / 2));
        m_report.badInput("truncated envelope", soapAnswer(reply), "400 Sender",
                          isFault(reply, 400, "Sender", nullptr));

        reply = soap(
            "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body>"
            "<GetImagingSettings></s:Body></GetImagingSettings></s:Envelope>");
        m_report.badInput("malformed XML", soapAnswer(reply), "400 Sender",
                          isFault(reply, 400, "Sender", nullptr));

        reply = soap(onvif::envelope(onvif::securityHeader(user), "<timg:GetTheMoon/>"));
        m_report.badInput("unknown operation", soapAnswer(reply), "fault ter:ActionNotSupported",
                          isFault(reply, 0, nullptr, "ter:ActionNotSupported"));
    }

    // Four failed log-ins at most: a fifth within a minute would slow the
    // address down and every later case would be answered 429.
    void credentials() {
        Account wrong = m_camera.operatorAccount();
        wrong.strPassword += "x";
        Reply reply = soap(signedGet(wrong));
        m_report.badInput("wrong password (UsernameToken)", soapAnswer(reply),
                          "400 Sender/ter:NotAuthorized",
                          isFault(reply, 400, "Sender", "ter:NotAuthorized"));

        HttpClient digest(m_camera.url(), kBadSource);
        digest.setAccount(wrong);
        reply = digest.get("/api/status");
        m_report.badInput("wrong password (HTTP Digest)", jsonAnswer(reply), "401",
                          reply.nStatus == 401 && reply.strCurlError.empty());

        std::string once = signedGet(m_camera.operatorAccount());
        Reply first = soap(once);
        reply = soap(once);
        m_report.badInput("replayed UsernameToken nonce",
                          "first " + first.summary() + ", again " + soapAnswer(reply),
                          "first 200, again ter:NotAuthorized",
                          first.ok() && isFault(reply, 0, "Sender", "ter:NotAuthorized"));

        reply = soap(signedGet(m_camera.operatorAccount(), 600));
        m_report.badInput("UsernameToken Created 10 minutes ago", soapAnswer(reply),
                          "ter:NotAuthorized", isFault(reply, 0, "Sender", "ter:NotAuthorized"));
    }

    void jsonAndValues() {
        Reply reply = m_client.post("/api/parameters", "{\"values\": {\"");
        m_report.badInput("invalid JSON", jsonAnswer(reply), "400",
                          reply.nStatus == 400 && reply.strCurlError.empty());

        const Setting* ranged = nullptr;
        const Setting* onvifRanged = nullptr;
        int above = 0;
        for (const Setting& setting : m_camera.settings()) {
            int value = 0;
            if (setting.outOfRange(value)) {
                ranged = ranged != nullptr ? ranged : &setting;
                onvifRanged =
                    onvifRanged != nullptr || setting.strOnvif.empty() ? onvifRanged : &setting;
            }
        }
        if (ranged != nullptr) {
            ranged->outOfRange(above);
            std::string body = json{{"values", {{ranged->strName, above}}}}.dump();
            reply = m_client.post("/api/parameters", body);
            m_report.badInput(
                "value out of range (JSON " + ranged->strName + " " + std::to_string(above) + ")",
                jsonAnswer(reply) + "; " + unchanged(), "400, values unchanged",
                reply.nStatus == 400);
        }
        if (onvifRanged != nullptr) {
            onvifRanged->outOfRange(above);
            reply =
                soap(onvif::envelope(onvif::securityHeader(m_camera.operatorAccount()),
                                     onvif::setImagingSettings({{onvifRanged->strOnvif, above}})));
            m_report.badInput("value out of range (ONVIF " + onvifRanged->strOnvif + " " +
                                  std::to_string(above) + ")",
                              soapAnswer(reply) + "; " + unchanged(),
                              "400 Sender/ter:InvalidArgVal, values unchanged",
                              isFault(reply, 400, "Sender", "ter:InvalidArgVal"));
        }

        const Setting& setting = m_camera.settings().front();
        std::mt19937 random(7);
        int value = setting.pick(random, m_camera.expected(setting.strName));
        HttpClient viewer(m_camera.url(), kBadSource);
        viewer.setAccount(m_camera.viewer());
        reply = viewer.post("/api/parameters", json{{"values", {{setting.strName, value}}}}.dump());
        m_report.badInput("User-level write (JSON)", jsonAnswer(reply) + "; " + unchanged(),
                          "403, values unchanged", reply.nStatus == 403);
        for (const Setting& candidate : m_camera.settings()) {
            if (candidate.strOnvif.empty()) {
                continue;
            }
            value = candidate.pick(random, m_camera.expected(candidate.strName));
            reply = soap(onvif::envelope(onvif::securityHeader(m_camera.viewer()),
                                         onvif::setImagingSettings({{candidate.strOnvif, value}})));
            m_report.badInput("User-level write (ONVIF)", soapAnswer(reply) + "; " + unchanged(),
                              "ter:NotAuthorized, values unchanged",
                              isFault(reply, 0, "Sender", "ter:NotAuthorized"));
            break;
        }
    }

    // One byte a second: dropped at the request time-out, while the others'
    // requests keep their latency.
    void slowClient() {
        std::atomic<int> phase{0};  // 0 before, 1 while the slow client is on, 2 stop
        LatencyLog before;
        LatencyLog during;
        std::atomic<long> failures{0};
        std::vector<std::thread> probes;
        for (int index = 0; index < 2; ++index) {
            probes.emplace_back([&, index] {
                HttpClient client(m_camera.url());
                client.setAccount(m_camera.operatorAccount());
                LatencyLog mine[2];
                for (unsigned round = 0; phase != 2; ++round) {
                    int now = phase;
                    Reply reply = (round + static_cast<unsigned>(index)) % 2 == 0
                                      ? client.get("/api/status")
                                      : client.soap(onvif::kImagingPath,
                                                    signedGet(m_camera.operatorAccount()));
                    failures += reply.ok() ? 0 : 1;
                    mine[now == 0 ? 0 : 1].add("probe", reply.dMillis);
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
                std::lock_guard<std::mutex> lock(m_mutex);
                before.merge(mine[0]);
                during.merge(mine[1]);
            });
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));
        phase = 1;
        const std::string request =
            "GET /api/status HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: trickle\r\n"
            "Accept: application/json\r\n\r\n";
        int fd = connectFrom(kSlowSource, m_nPort);
        Clock::time_point start = Clock::now();
        double dropped = -1;
        for (size_t sent = 0; fd >= 0 && secondsSince(start) < m_limits.nRequestSeconds + 20;) {
            if (sent < request.size() && send(fd, request.data() + sent, 1, MSG_NOSIGNAL) != 1) {
                dropped = secondsSince(start);
                break;
            }
            ++sent;
            if (closedWithin(fd, 1000)) {
                dropped = secondsSince(start);
                break;
            }
        }
        if (fd >= 0) {
            close(fd);
        }
        phase = 2;
        for (std::thread& probe : probes) {
            probe.join();
        }
        std::vector<double> quiet = before.samples().count("probe") != 0
                                        ? before.samples().at("probe")
                                        : std::vector<double>();
        std::vector<double> busy = during.samples().count("probe") != 0
                                       ? during.samples().at("probe")
                                       : std::vector<double>();
        double p99Before = percentile(quiet, 0.99);
        double p99During = percentile(busy, 0.99);
        // Latency on a shared machine wobbles; what must not happen is the
        // others waiting on the trickling one.
        bool latencyKept = p99During <= std::max(4 * p99Before, p99Before + 100);
        double timeout = m_limits.nRequestSeconds;
        m_report.badInput(
            "a client sending one byte a second",
            (dropped < 0 ? std::string("not dropped") : "dropped after " + fixed(dropped) + " s") +
                "; others' p99 " + fixed(p99During, 1) + " ms (before " + fixed(p99Before, 1) +
                " ms), " + std::to_string(failures.load()) + " failed",
            "dropped at " + fixed(timeout, 0) + " s (+3), others' latency kept",
            dropped >= timeout - 1 && dropped <= timeout + 3 && latencyKept && failures == 0);
    }

    // Every connection over the limit is closed at once, and the service
    // takes new ones when the held ones go.
    void tooManyConnections() {
        const int total = m_limits.nConnections + 8;
        std::vector<int> sockets;
        for (int index = 0; index < total; ++index) {
            // Thirty an address: the limit in all is what is tried here.
            std::string source = "127.0.2." + std::to_string(1 + index / 30);
            int fd = connectFrom(source.c_str(), m_nPort);
            if (fd >= 0) {
                sockets.push_back(fd);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        int closed = 0;
        for (int fd : sockets) {
            closed += closedWithin(fd, 0) ? 1 : 0;
        }
        HttpClient extra(m_camera.url(), kBadSource);
        extra.setAccount(m_camera.operatorAccount());
        Reply refused = extra.get("/api/status");
        for (int fd : sockets) {
            close(fd);
        }
        // The held ones are gone: the service must answer again soon.
        Clock::time_point start = Clock::now();
        Reply after;
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            HttpClient again(m_camera.url(), kBadSource);
            again.setAccount(m_camera.operatorAccount());
            after = again.get("/api/status");
        } while (!after.ok() && secondsSince(start) < 10);
        int open = static_cast<int>(sockets.size()) - closed;
        m_report.badInput(std::to_string(sockets.size()) + " connections against a limit of " +
                              std::to_string(m_limits.nConnections),
                          std::to_string(closed) + " closed at once, " + std::to_string(open) +
                              " held; one more: " + refused.summary() + " in " +
                              fixed(refused.dMillis, 0) + " ms; afterwards " + after.summary(),
                          "the excess closed, one more refused at once, then served",
                          closed >= total - m_limits.nConnections &&
                              open <= m_limits.nConnections && !refused.ok() &&
                              refused.dMillis < 3000 && after.ok());
    }

    Camera& m_camera;
    Report& m_report;
    ServiceLimits m_limits;
    HttpClient m_client;
    int m_nPort;
    std::mutex m_mutex;
};

}  // namespace

void runBadInput(Camera& p_camera, Report& p_report, const ServiceLimits& p_limits) {
    BadInput(p_camera, p_report, p_limits).run();
}
