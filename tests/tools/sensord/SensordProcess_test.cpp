// sensord as a camera runs it: a process started with its options, users
// provisioned by command, stopped by SIGTERM, or cut off by a power cut while
// clients write.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <csignal>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>

#include "HttpTestClient.h"
#include "SensordProcess.h"

using nlohmann::json;

namespace {

#if defined(__arm__) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
const int kCuts = 4;
#else
const int kCuts = 12;
#endif

class TemporaryRoot {
public:
    TemporaryRoot() {
        char dir[] = "/tmp/sensord-process-XXXXXX";
        m_strDir = mkdtemp(dir);
    }
    ~TemporaryRoot() {
        std::string command = "rm -rf " + m_strDir;
        EXPECT_EQ(0, std::system(command.c_str()));
    }
    const std::string& dir() const { return m_strDir; }

private:
    std::string m_strDir;
};

std::string readFile(const std::string& p_strPath) {
    std::ifstream file(p_strPath);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

unsigned modeOf(const std::string& p_strPath) {
    struct stat info;
    return stat(p_strPath.c_str(), &info) == 0 ? (info.st_mode & 0777) : 01000;
}

int valueOf(HttpTestClient& p_client, const std::string& p_strName) {
    json parameter = json::parse(p_client.request("GET", "/api/parameters/" + p_strName).strBody,
                                 nullptr, false);
    return parameter.is_object() ? parameter.value("value", -1) : -1;
}

class SensordProcessTest : public ::testing::Test {
protected:
    void SetUp() override { std::signal(SIGPIPE, SIG_IGN); }
};

}  // namespace

TEST_F(SensordProcessTest, AFirstStartMakesAnAdministratorAndUsersAreProvisionedByCommand) {
    TemporaryRoot root;
    std::string output;
    // Provisioned before the first start: no administrator of its own then.
    ASSERT_EQ(
        0, SensordProcess::run(
               root.dir(), {"user", "add", "boss", "--level", "Administrator", "--password-stdin"},
               "boss-secret\n", &output))
        << output;
    ASSERT_EQ(0, SensordProcess::run(
                     root.dir(), {"user", "add", "viewer", "--level", "User", "--password-stdin"},
                     "viewer-secret\n", &output))
        << output;
    SensordProcess sensord(root.dir(), "hi351x");
    ASSERT_TRUE(sensord.started()) << sensord.errors();
    std::string users = root.dir() + "/mnt/mtd/sensord/users";
    EXPECT_EQ(0600u, modeOf(users));
    EXPECT_EQ(01000u, modeOf(root.dir() + "/mnt/mtd/sensord/admin-password"));

    HttpTestClient viewer(sensord.port());
    viewer.setUser("viewer", "viewer-secret");
    EXPECT_EQ(200, viewer.request("GET", "/api/status").nStatus);
    TestResponse write = viewer.request("PUT", "/api/parameters/brightness", R"({"value": 7})");
    EXPECT_EQ(403, write.nStatus) << write.strBody;

    // Provisioned while it runs: taken at the next log-in, no restart.
    ASSERT_EQ(
        0, SensordProcess::run(
               root.dir(), {"user", "add", "installer", "--level", "Operator", "--password-stdin"},
               "ladder\n", &output))
        << output;
    HttpTestClient installer(sensord.port());
    installer.setUser("installer", "ladder");
    TestResponse set = installer.request("PUT", "/api/parameters/brightness", R"({"value": 7})");
    EXPECT_EQ(200, set.nStatus) << set.strBody;
    ASSERT_EQ(0, SensordProcess::run(root.dir(), {"user", "remove", "installer"}, "", &output));
    EXPECT_EQ(401, installer.request("GET", "/api/status").nStatus);

    sensord.signal(SIGTERM);
    EXPECT_EQ(0, sensord.wait(60)) << sensord.errors();
    EXPECT_EQ(0, SensordProcess::run(root.dir(), {"user", "list"}, "", &output));
    EXPECT_NE(std::string::npos, output.find("viewer")) << output;
    EXPECT_EQ(std::string::npos, output.find("viewer-secret"));
}

TEST_F(SensordProcessTest, SigtermEndsTheEventStreamSavesAndExitsZero) {
    TemporaryRoot root;
    SensordProcess sensord(root.dir(), "fcbev7310");
    ASSERT_TRUE(sensord.started()) << sensord.errors();
    EXPECT_NE(std::string::npos, sensord.errors().find("admin-password"));
    std::string passwordFile = root.dir() + "/mnt/mtd/sensord/admin-password";
    EXPECT_EQ(0600u, modeOf(passwordFile));
    HttpTestClient admin(sensord.port());
    admin.setUser("admin", readFile(passwordFile));
    int sharpness = valueOf(admin, "sharpness");
    ASSERT_GE(sharpness, 0);
    int wanted = sharpness == 3 ? 4 : 3;
    ASSERT_EQ(200, admin
                       .request("PUT", "/api/parameters/sharpness",
                                "{\"value\": " + std::to_string(wanted) + "}")
                       .nStatus);

    int stream = admin.open();
    ASSERT_GE(stream, 0);
    std::string request = "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: " +
                          admin.authorizationFor("GET", "/api/events") + "\r\n\r\n";
    send(stream, request.data(), request.size(), MSG_NOSIGNAL);
    TestResponse opened = readResponse(stream, 2);
    EXPECT_EQ(200, opened.nStatus);

    sensord.signal(SIGTERM);
    EXPECT_EQ(0, sensord.wait(60)) << sensord.errors();
    close(stream);

    SensordProcess again(root.dir(), "fcbev7310");
    ASSERT_TRUE(again.started()) << again.errors();
    HttpTestClient restarted(again.port());
    restarted.setUser("admin", readFile(passwordFile));
    EXPECT_EQ(wanted, valueOf(restarted, "sharpness"));
}

// Each client owns one setting and writes it over and over; whatever the
// service acknowledged before the cut must be what the next start reports
// (or the write that was in flight when the power went).
TEST_F(SensordProcessTest, APowerCutNeverLosesAnAcknowledgedSetting) {
    TemporaryRoot root;
    const std::vector<std::string> settings = {"brightness", "contrast", "saturation", "sharpness"};
    std::mt19937 random(20261207);
    std::map<std::string, int> acknowledged;
    std::map<std::string, int> inFlight;
    std::string password;
    for (int cut = 0; cut < kCuts; ++cut) {
        SensordProcess sensord(root.dir(), "hi351x", {"--virtual-time"});
        ASSERT_TRUE(sensord.started()) << sensord.errors();
        if (password.empty()) {
            password = readFile(root.dir() + "/mnt/mtd/sensord/admin-password");
        }
        HttpTestClient check(sensord.port());
        check.setUser("admin", password);
        for (const auto& entry : acknowledged) {
            int value = valueOf(check, entry.first);
            EXPECT_TRUE(value == entry.second || value == inFlight[entry.first])
                << "cut " << cut << ": " << entry.first << " = " << value << ", acknowledged "
                << entry.second;
        }

        std::atomic<bool> cutNow{false};
        std::mutex mutex;
        std::vector<std::thread> clients;
        for (size_t index = 0; index < settings.size(); ++index) {
            clients.emplace_back([&, index] {
                HttpTestClient client(sensord.port());
                client.setUser("admin", password);
                const std::string& name = settings[index];
                for (int value = 1 + cut % 2; !cutNow; value = value % 90 + 1) {
                    {
                        std::lock_guard<std::mutex> lock(mutex);
                        inFlight[name] = value;
                    }
                    TestResponse response =
                        client.request("PUT", "/api/parameters/" + name,
                                       "{\"value\": " + std::to_string(value) + "}");
                    if (response.nStatus == 0) {
                        break;  // the power is gone
                    }
                    if (response.nStatus == 200) {
                        std::lock_guard<std::mutex> lock(mutex);
                        acknowledged[name] = value;
                    }
                }
            });
        }
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::uniform_int_distribution<int>(200, 800)(random)));
        sensord.signal(SIGKILL);
        EXPECT_EQ(128 + SIGKILL, sensord.wait(60));
        cutNow = true;
        for (std::thread& client : clients) {
            client.join();
        }
    }
    EXPECT_EQ(settings.size(), acknowledged.size());
}

// --tls-cert and --tls-key: the same service over HTTPS, and plain HTTP is
// not answered on that port. Checked with the openssl and curl programs.
TEST_F(SensordProcessTest, TheServiceSpeaksHttpsWithTheGivenCertificate) {
    if (std::system("command -v openssl >/dev/null && command -v curl >/dev/null") != 0) {
        GTEST_SKIP() << "needs the openssl and curl programs";
    }
    TemporaryRoot root;
    std::string cert = root.dir() + "/tls.crt";
    std::string key = root.dir() + "/tls.key";
    std::string make = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                       "-nodes -subj /CN=camera -days 1 -keyout " +
                       key + " -out " + cert + " 2>/dev/null";
    ASSERT_EQ(0, std::system(make.c_str()));
    SensordProcess sensord(root.dir(), "hi351x",
                           {"--virtual-time", "--tls-cert", cert, "--tls-key", key});
    ASSERT_TRUE(sensord.started()) << sensord.errors();
    EXPECT_NE(std::string::npos, sensord.errors().find("https://127.0.0.1:"));
    std::string password = readFile(root.dir() + "/mnt/mtd/sensord/admin-password");
    std::string out = root.dir() + "/status.json";
    std::string curl = "curl -s -k --max-time 60 --digest -u admin:" + password +
                       " -o " + out + " -w '%{http_code}' https://127.0.0.1:" +
                       std::to_string(sensord.port()) + "/api/status > " + root.dir() +
                       "/code";
    EXPECT_EQ(0, std::system(curl.c_str()));
    EXPECT_EQ("200", readFile(root.dir() + "/code"));
    EXPECT_NE(std::string::npos, readFile(out).find("\"module\":\"hi351x\""));

    HttpTestClient plain(sensord.port());
    EXPECT_NE(200, plain.raw("GET /api/status HTTP/1.1\r\nHost: x\r\n\r\n", 30).nStatus);
    sensord.signal(SIGTERM);
    EXPECT_EQ(0, sensord.wait(60)) << sensord.errors();
}
