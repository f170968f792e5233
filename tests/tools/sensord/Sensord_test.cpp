// sensord in-process: the JSON API over real sockets, the server's limits
// and the all-or-nothing writes against simulated modules.
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <fstream>
#include <set>
#include <thread>

#include "HttpTestClient.h"
#include "ImageService.h"
#include "Sensord.h"

using nlohmann::json;

namespace {

// The service's host sends the library's console (stdout) to /dev/null for
// good; failures are told on stderr so they are seen all the same.
class FailuresOnStderr : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult& p_result) override {
        if (p_result.failed()) {
            std::fprintf(stderr, "%s:%d: Failure\n%s\n",
                         p_result.file_name() != nullptr ? p_result.file_name() : "?",
                         p_result.line_number(), p_result.summary());
        }
    }
};

const bool s_bFailuresOnStderr = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FailuresOnStderr);
    return true;
}();

std::string readFile(const std::string& p_strPath) {
    std::ifstream file(p_strPath);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

// One sensord on a fresh root and a free port, run on its own thread.
class RunningSensord {
public:
    explicit RunningSensord(const std::string& p_strModule, HttpServer::Limits p_limits = {},
                            const std::string& p_strRoot = "") {
        char dir[] = "/tmp/sensord-test-XXXXXX";
        m_strRoot = p_strRoot.empty() ? mkdtemp(dir) : p_strRoot;
        m_bOwnRoot = p_strRoot.empty();
        SensordOptions options;
        options.host.strRoot = m_strRoot;
        options.host.strModule = p_strModule;
        options.host.bVirtualTime = true;
        options.strListen = "127.0.0.1:0";
        options.limits = p_limits;
        m_service = std::make_unique<Sensord>(options);
        std::string notice;
        m_service->start(notice);
        m_strPassword = readFile(m_strRoot + "/mnt/mtd/sensord/admin-password");
        m_thread = std::thread([this] { m_nExit = m_service->run(); });
    }
    ~RunningSensord() {
        stop();
        m_service.reset();
        if (m_bOwnRoot) {
            std::string command = "rm -rf " + m_strRoot;
            EXPECT_EQ(0, std::system(command.c_str()));
        }
    }
    int stop() {
        if (m_thread.joinable()) {
            m_service->stop();
            m_thread.join();
        }
        return m_nExit;
    }
    HttpTestClient admin() {
        HttpTestClient client(m_service->port());
        client.setUser("admin", m_strPassword);
        return client;
    }
    Sensord& service() { return *m_service; }
    const std::string& root() const { return m_strRoot; }

private:
    std::string m_strRoot;
    bool m_bOwnRoot = true;
    std::string m_strPassword;
    std::unique_ptr<Sensord> m_service;
    std::thread m_thread;
    int m_nExit = -1;
};

json body(const TestResponse& p_response) {
    return json::parse(p_response.strBody, nullptr, false);
}

int valueOf(HttpTestClient& p_client, const std::string& p_strName) {
    json parameter = body(p_client.request("GET", "/api/parameters/" + p_strName));
    return parameter.value("value", -1);
}

}  // namespace

TEST(SensordJson, EveryRouteNeedsAUserAndEitherDigestAlgorithmLogsIn) {
    RunningSensord sensord("hi351x");
    HttpTestClient anonymous(sensord.service().port());
    TestResponse refused = anonymous.request("GET", "/api/status");
    EXPECT_EQ(401, refused.nStatus);
    auto challenges = refused.headers.equal_range("www-authenticate");
    ASSERT_EQ(2, std::distance(challenges.first, challenges.second));
    EXPECT_NE(std::string::npos, challenges.first->second.find("SHA-256"));

    HttpTestClient wrong(sensord.service().port());
    wrong.setUser("admin", "not-the-password");
    EXPECT_EQ(401, wrong.request("GET", "/api/status").nStatus);

    for (const char* algorithm : {"SHA-256", "MD5"}) {
        HttpTestClient client = sensord.admin();
        client.setUser("admin", readFile(sensord.root() + "/mnt/mtd/sensord/admin-password"),
                       algorithm);
        TestResponse status = client.request("GET", "/api/status");
        EXPECT_EQ(200, status.nStatus) << algorithm << ": " << status.strBody;
        EXPECT_EQ("hi351x", body(status).value("module", ""));
    }
}

TEST(SensordJson, ABatchIsAppliedAndSavedWholeOrNotAtAll) {
    RunningSensord sensord("hi351x");
    HttpTestClient client = sensord.admin();
    json parameters = body(client.request("GET", "/api/parameters"));
    ASSERT_TRUE(parameters.contains("parameters"));
    int brightness = valueOf(client, "brightness");
    int contrast = valueOf(client, "contrast");
    ASSERT_GE(brightness, 0);

    // One value out of range: nothing changes, and the refusal names the range.
    TestResponse refused = client.request("POST", "/api/parameters",
                                          R"({"values": {"brightness": )" +
                                              std::to_string(brightness == 10 ? 11 : 10) +
                                              R"(, "contrast": 100000}})");
    EXPECT_EQ(400, refused.nStatus);
    EXPECT_EQ("contrast", body(refused).value("parameter", ""));
    EXPECT_NE(std::string::npos, body(refused).value("error", "").find("takes"));
    EXPECT_EQ(brightness, valueOf(client, "brightness"));
    EXPECT_EQ(contrast, valueOf(client, "contrast"));

    TestResponse applied = client.request("POST", "/api/parameters",
                                          R"({"values": {"brightness": 10, "contrast": 20}})");
    EXPECT_EQ(200, applied.nStatus) << applied.strBody;
    EXPECT_EQ(10, valueOf(client, "brightness"));
    EXPECT_EQ(20, valueOf(client, "contrast"));

    // Saved before the answer: a new service on the root starts from it.
    EXPECT_EQ(0, sensord.stop());
    RunningSensord again("hi351x", {}, sensord.root());
    HttpTestClient restarted = again.admin();
    EXPECT_EQ(10, valueOf(restarted, "brightness"));
    EXPECT_EQ(20, valueOf(restarted, "contrast"));
}

TEST(SensordJson, AModuleThatStopsAnsweringFailsWritesThatSaySoUntilItAnswersAgain) {
    RunningSensord sensord("fcbev7310");
    HttpTestClient client = sensord.admin();
    int sharpness = valueOf(client, "sharpness");
    ASSERT_GE(sharpness, 0);
    int wanted = sharpness == 5 ? 6 : 5;

    ASSERT_EQ(200, client.request("POST", "/api/simulation", R"({"answering": false})").nStatus);
    TestResponse failed = client.request("PUT", "/api/parameters/sharpness",
                                         R"({"value": )" + std::to_string(wanted) + "}");
    EXPECT_EQ(502, failed.nStatus);
    EXPECT_NE(std::string::npos, body(failed).value("error", "").find("nothing was changed"))
        << failed.strBody;
    EXPECT_EQ(sharpness, valueOf(client, "sharpness"));
    EXPECT_FALSE(body(client.request("GET", "/api/status")).value("moduleAnswering", true));

    ASSERT_EQ(200, client.request("POST", "/api/simulation", R"({"answering": true})").nStatus);
    TestResponse applied = client.request("PUT", "/api/parameters/sharpness",
                                          R"({"value": )" + std::to_string(wanted) + "}");
    EXPECT_EQ(200, applied.nStatus) << applied.strBody;
    EXPECT_EQ(wanted, valueOf(client, "sharpness"));
    EXPECT_TRUE(body(client.request("GET", "/api/status")).value("moduleAnswering", false));
}

TEST(SensordJson, TheEventStreamCarriesChangesFromEveryClientAndEndsOnStop) {
    RunningSensord sensord("hi351x");
    HttpTestClient client = sensord.admin();
    int stream = client.open();
    ASSERT_GE(stream, 0);
    std::string request = "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: " +
                          client.authorizationFor("GET", "/api/events") + "\r\n\r\n";
    send(stream, request.data(), request.size(), MSG_NOSIGNAL);
    // The stream is open once its headers come.
    std::string received;
    auto readUntil = [&](const std::string& p_strText) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (received.find(p_strText) == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd wait{stream, POLLIN, 0};
            char buffer[1024];
            ssize_t count = poll(&wait, 1, 100) > 0 ? recv(stream, buffer, sizeof(buffer), 0) : -1;
            if (count == 0) {
                return false;
            }
            if (count > 0) {
                received.append(buffer, static_cast<size_t>(count));
            }
        }
        return received.find(p_strText) != std::string::npos;
    };
    ASSERT_TRUE(readUntil("text/event-stream"));

    HttpTestClient other = sensord.admin();
    ASSERT_EQ(200, other.request("PUT", "/api/parameters/brightness", R"({"value": 33})").nStatus);
    EXPECT_TRUE(readUntil("\"value\":33")) << received;
    EXPECT_NE(std::string::npos, received.find("event: value"));

    // Stopping ends the stream rather than waiting for the client to go.
    std::thread stopper([&] { EXPECT_EQ(0, sensord.stop()); });
    EXPECT_FALSE(readUntil("never sent"));
    stopper.join();
    close(stream);
}

TEST(SensordServer, ABodyOverTheLimitIsRefusedFromItsLengthAlone) {
    HttpServer::Limits limits;
    limits.nMaxBody = 1024;
    RunningSensord sensord("hi351x", limits);
    HttpTestClient client(sensord.service().port());
    // No body follows: the answer must come from the headers.
    TestResponse response = client.raw(
        "POST /api/parameters HTTP/1.1\r\nHost: x\r\nContent-Length: 100000000\r\n\r\n", 30);
    EXPECT_EQ(413, response.nStatus);
    EXPECT_EQ(1u, sensord.service().server().counters().nTooLarge);
}

TEST(SensordServer, AClientTricklingItsRequestIsDroppedWhileOthersAreServed) {
    HttpServer::Limits limits;
    limits.nRequestSeconds = 2;
    RunningSensord sensord("hi351x", limits);
    HttpTestClient client = sensord.admin();
    int slow = client.open();
    ASSERT_GE(slow, 0);
    send(slow, "GET /api/sta", 12, MSG_NOSIGNAL);
    // Others are answered meanwhile.
    EXPECT_EQ(200, client.request("GET", "/api/status").nStatus);
    // The trickler is cut off: its socket ends without an answer.
    bool closed = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!closed && std::chrono::steady_clock::now() < deadline) {
        char byte = 't';
        send(slow, &byte, 1, MSG_NOSIGNAL);
        char buffer[256];
        ssize_t count = recv(slow, buffer, sizeof(buffer), MSG_DONTWAIT);
        closed = count == 0 || (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
        if (!closed) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
    close(slow);
    EXPECT_TRUE(closed);
    EXPECT_GE(sensord.service().server().counters().nDroppedSlow, 1u);
}

TEST(SensordServer, ConnectionsOverTheLimitAreClosedNotQueued) {
    HttpServer::Limits limits;
    limits.nConnections = 4;
    limits.nConnectionsPerAddress = 4;
    RunningSensord sensord("hi351x", limits);
    HttpTestClient client = sensord.admin();
    std::vector<int> held;
    for (int i = 0; i < 4; ++i) {
        held.push_back(client.open());
    }
    // The fifth is taken and closed at once: its read ends, not waits.
    TestResponse over = client.raw("GET /api/status HTTP/1.1\r\nHost: x\r\n\r\n", 30);
    EXPECT_EQ(0, over.nStatus);
    for (int fd : held) {
        close(fd);
    }
    // Room again once they are gone.
    bool served = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!served && std::chrono::steady_clock::now() < deadline) {
        served = client.request("GET", "/api/status").nStatus == 200;
    }
    EXPECT_TRUE(served);
}

TEST(SensordJson, AnySchemesWindowIsEditedWithoutApplyingItAndRefusalsChangeNothing) {
    RunningSensord sensord("cmd7200");
    HttpTestClient client = sensord.admin();
    json schemes = body(client.request("GET", "/api/schemes"));
    ASSERT_GE(schemes["schemes"].size(), 2u) << schemes.dump();
    const int active = schemes["active"].get<int>();
    const int other = active == 1 ? 0 : 1;
    const std::string path = "/api/schemes/" + std::to_string(other);
    json parameters = body(client.request("GET", "/api/parameters"));

    TestResponse edited =
        client.request("PUT", path, R"({"enabled": true, "start": "08:30", "end": "18:00"})");
    ASSERT_EQ(200, edited.nStatus) << edited.strBody;
    json window = body(edited)["schemes"][other];
    EXPECT_EQ(true, window["enabled"]);
    EXPECT_EQ("08:30", window["start"]);
    EXPECT_EQ("18:00", window["end"]);
    EXPECT_EQ(active, body(edited)["active"].get<int>());
    // Only the window changed: no value of the running scheme moved.
    EXPECT_EQ(parameters, body(client.request("GET", "/api/parameters")));

    // What a body leaves out stays.
    edited = client.request("PUT", path, R"({"end": "24:00"})");
    ASSERT_EQ(200, edited.nStatus) << edited.strBody;
    EXPECT_EQ("08:30", body(edited)["schemes"][other]["start"]);
    EXPECT_EQ("24:00", body(edited)["schemes"][other]["end"]);

    for (const char* refused :
         {R"({"start": "18:00", "end": "08:00"})", R"({"start": "08:35"})", R"({"start": "8:30"})",
          R"({"enabled": "yes"})", R"({"end": "24:10"})"}) {
        TestResponse answer = client.request("PUT", path, refused);
        EXPECT_EQ(400, answer.nStatus) << refused;
        EXPECT_FALSE(body(answer).value("error", "").empty()) << refused;
    }
    EXPECT_EQ(404, client.request("PUT", "/api/schemes/99", R"({"end": "20:00"})").nStatus);
    EXPECT_EQ(404, client.request("PUT", "/api/schemes/-1", R"({"end": "20:00"})").nStatus);
    window = body(client.request("GET", "/api/schemes"))["schemes"][other];
    EXPECT_EQ("08:30", window["start"]);
    EXPECT_EQ("24:00", window["end"]);

    // The active scheme's window is what its window parameters read, and it is saved.
    edited = client.request("PUT", "/api/schemes/" + std::to_string(active),
                            R"({"enabled": true, "start": "00:00", "end": "23:50"})");
    ASSERT_EQ(200, edited.nStatus) << edited.strBody;
    EXPECT_EQ(23, valueOf(client, "scheme-end-hour"));
    EXPECT_EQ(5, valueOf(client, "scheme-end-minute"));
    EXPECT_EQ(0, sensord.stop());
    RunningSensord again("cmd7200", {}, sensord.root());
    HttpTestClient restarted = again.admin();
    schemes = body(restarted.request("GET", "/api/schemes"));
    EXPECT_EQ("08:30", schemes["schemes"][other]["start"]);
    EXPECT_EQ("23:50", schemes["schemes"][active]["end"]);
}

TEST(SensordJson, TheUiDescriptionGivesTheTabsOfTheMergedStyleInEachLanguage) {
    RunningSensord sensord("hi351x");
    HttpTestClient client = sensord.admin();
    json english = body(client.request("GET", "/api/ui?lang=1"));
    json german = body(client.request("GET", "/api/ui?lang=2"));
    ASSERT_TRUE(english.contains("tabs")) << english.dump();
    ASSERT_EQ(english["tabs"].size(), german["tabs"].size());
    EXPECT_GE(english["languages"].size(), 2u);
    // Every parameter a tab shows is one the module describes.
    std::set<int> described;
    json parameters = body(client.request("GET", "/api/parameters"));
    for (const json& parameter : parameters["parameters"]) {
        described.insert(parameter["id"].get<int>());
    }
    bool labelsDiffer = false;
    for (size_t i = 0; i < english["tabs"].size(); ++i) {
        const json& tab = english["tabs"][i];
        EXPECT_EQ(tab["name"], german["tabs"][i]["name"]);
        labelsDiffer = labelsDiffer || tab["label"] != german["tabs"][i]["label"];
        for (const json& id : tab["parameters"]) {
            EXPECT_EQ(1u, described.count(id.get<int>())) << tab["name"] << " shows " << id;
        }
    }
    EXPECT_TRUE(labelsDiffer);
    EXPECT_EQ(404, client.request("GET", "/api/ui?lang=99").nStatus);
    EXPECT_EQ(400, client.request("GET", "/api/ui?lang=x").nStatus);
}

TEST(SensordJson, TheHistoryKeepsAMinuteSampleAndEverySwitchAsTheClockMoves) {
    RunningSensord sensord("hi351x");
    HttpTestClient client = sensord.admin();
    ASSERT_EQ(
        200,
        client.request("POST", "/api/simulation", R"({"light": 100, "advance": 300})").nStatus);
    ASSERT_EQ("day", body(client.request("GET", "/api/status")).value("dayNightState", ""));
    ASSERT_EQ(200,
              client.request("POST", "/api/simulation", R"({"light": 0, "advance": 600})").nStatus);
    ASSERT_EQ("night", body(client.request("GET", "/api/status")).value("dayNightState", ""));

    json history = body(client.request("GET", "/api/history"));
    ASSERT_TRUE(history.contains("samples")) << history.dump();
    const json& samples = history["samples"];
    // Fifteen minutes passed: a sample a minute, each a minute after the last.
    EXPECT_GE(samples.size(), 15u);
    for (size_t i = 1; i < samples.size(); ++i) {
        EXPECT_GE(samples[i]["t"].get<double>() - samples[i - 1]["t"].get<double>(), 59.0);
    }
    EXPECT_TRUE(samples.back().contains("level"));
    bool toNight = false;
    for (const json& change : history["switches"]) {
        toNight = toNight || (change["type"] == "daynight" && change["state"] == "night");
    }
    EXPECT_TRUE(toNight) << history["switches"].dump();
}
