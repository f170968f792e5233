#include "auth/Authenticator.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <regex>
#include <thread>

namespace {

using std::chrono::seconds;

// The clocks stand still unless a test turns them.
class TestAuthenticator : public Authenticator {
public:
    using Authenticator::Authenticator;

    std::chrono::steady_clock::time_point m_steady = std::chrono::steady_clock::now();
    std::chrono::system_clock::time_point m_wall = std::chrono::system_clock::now();

    void advance(std::chrono::milliseconds p_duration) {
        m_steady += p_duration;
        m_wall += p_duration;
    }

protected:
    std::chrono::steady_clock::time_point now() const override { return m_steady; }
    std::chrono::system_clock::time_point wallNow() const override { return m_wall; }
};

// Computed here with OpenSSL, apart from the code under test.
std::string hashHex(const EVP_MD* p_pType, const std::string& p_strData) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int nLength = 0;
    EVP_Digest(p_strData.data(), p_strData.size(), digest, &nLength, p_pType, nullptr);
    std::string strHex;
    char szByte[3];
    for (unsigned int i = 0; i < nLength; ++i) {
        std::snprintf(szByte, sizeof szByte, "%02x", digest[i]);
        strHex += szByte;
    }
    return strHex;
}

std::string base64(const std::string& p_strBytes) {
    std::vector<unsigned char> text(p_strBytes.size() * 2 + 4);
    int nLength =
        EVP_EncodeBlock(text.data(), reinterpret_cast<const unsigned char*>(p_strBytes.data()),
                        static_cast<int>(p_strBytes.size()));
    return std::string(reinterpret_cast<char*>(text.data()), static_cast<std::size_t>(nLength));
}

std::string sha1Raw(const std::string& p_strData) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int nLength = 0;
    EVP_Digest(p_strData.data(), p_strData.size(), digest, &nLength, EVP_sha1(), nullptr);
    return std::string(reinterpret_cast<char*>(digest), nLength);
}

std::string xsDateTime(std::chrono::system_clock::time_point p_time, const char* p_szZone = "Z") {
    std::time_t nSeconds = std::chrono::system_clock::to_time_t(p_time);
    std::tm parts;
    gmtime_r(&nSeconds, &parts);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    return std::string(text) + p_szZone;
}

struct Challenge {
    std::string strNonce;
    std::string strOpaque;
};

struct DigestFields {
    std::string strUser = "alice";
    std::string strPassword = "s3cret:pass";
    std::string strAlgorithm = "SHA-256";
    std::string strUri = "/onvif/device_service";
    std::string strMethod = "POST";
    std::string strNc = "00000001";
    std::string strCnonce = "0a4f113b";
    std::string strRealm = "sensord";
};

class AuthenticatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        char szTemplate[] = "/tmp/sensord-auth-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(szTemplate));
        m_strDir = szTemplate;
        m_pUsers.reset(new UserStore(m_strDir + "/users"));
        std::string strNotice;
        std::string strError;
        ASSERT_TRUE(m_pUsers->load("", strNotice, strError)) << strError;
        ASSERT_TRUE(m_pUsers->add({"alice", "s3cret:pass", UserLevel::ADMINISTRATOR}, strError));
        ASSERT_TRUE(m_pUsers->add({"bob", "bobs pw", UserLevel::USER}, strError));
        m_pAuth.reset(new TestAuthenticator(*m_pUsers, "sensord"));
    }
    void TearDown() override {
        m_pAuth.reset();
        m_pUsers.reset();
        std::filesystem::remove_all(m_strDir);
    }

    Challenge challenge() {
        HttpResponse response;
        m_pAuth->challenge(response, false);
        std::smatch match;
        static const std::regex pattern("nonce=\"([^\"]+)\", opaque=\"([^\"]+)\"");
        EXPECT_EQ(2u, response.headers.size());
        if (response.headers.empty() ||
            !std::regex_search(response.headers[0].second, match, pattern)) {
            ADD_FAILURE() << "no nonce in the challenge";
            return Challenge();
        }
        return {match[1], match[2]};
    }

    static std::string authorization(const Challenge& p_challenge, const DigestFields& p_fields) {
        const EVP_MD* pType = p_fields.strAlgorithm == "MD5" || p_fields.strAlgorithm.empty()
                                  ? EVP_md5()
                                  : EVP_sha256();
        std::string strHa1 =
            hashHex(pType, p_fields.strUser + ":" + p_fields.strRealm + ":" + p_fields.strPassword);
        std::string strHa2 = hashHex(pType, p_fields.strMethod + ":" + p_fields.strUri);
        std::string strResponse =
            hashHex(pType, strHa1 + ":" + p_challenge.strNonce + ":" + p_fields.strNc + ":" +
                               p_fields.strCnonce + ":auth:" + strHa2);
        std::string strHeader = "Digest username=\"" + p_fields.strUser + "\", realm=\"" +
                                p_fields.strRealm + "\", nonce=\"" + p_challenge.strNonce +
                                "\", uri=\"" + p_fields.strUri + "\"";
        if (!p_fields.strAlgorithm.empty()) {
            strHeader += ", algorithm=" + p_fields.strAlgorithm;
        }
        return strHeader + ", qop=auth, nc=" + p_fields.strNc + ", cnonce=\"" + p_fields.strCnonce +
               "\", response=\"" + strResponse + "\", opaque=\"" + p_challenge.strOpaque + "\"";
    }

    static HttpRequest request(const std::string& p_strAuthorization,
                               const std::string& p_strPath = "/onvif/device_service") {
        HttpRequest req;
        req.strMethod = "POST";
        req.strPath = p_strPath;
        req.strClientAddress = "192.0.2.7";
        if (!p_strAuthorization.empty()) {
            req.headers["authorization"] = p_strAuthorization;
        }
        return req;
    }

    AuthOutcome digest(const Challenge& p_challenge, const DigestFields& p_fields) {
        return m_pAuth->checkHttpDigest(request(authorization(p_challenge, p_fields)));
    }

    AuthOutcome token(const std::string& p_strUser, const std::string& p_strPassword,
                      const std::string& p_strNonce, const std::string& p_strCreated) {
        return m_pAuth->checkUsernameToken(
            p_strUser, base64(sha1Raw(p_strNonce + p_strCreated + p_strPassword)),
            base64(p_strNonce), p_strCreated);
    }

    std::string m_strDir;
    std::unique_ptr<UserStore> m_pUsers;
    std::unique_ptr<TestAuthenticator> m_pAuth;
};

TEST_F(AuthenticatorTest, ChallengesOfferSha256ThenMd5) {
    HttpResponse response;
    m_pAuth->challenge(response, false);
    ASSERT_EQ(2u, response.headers.size());
    const std::regex pattern(
        "Digest realm=\"sensord\", qop=\"auth\", algorithm=(SHA-256|MD5), "
        "nonce=\"[A-Za-z0-9_-]{43}\", opaque=\"[A-Za-z0-9_-]+\"");
    EXPECT_EQ("WWW-Authenticate", response.headers[0].first);
    EXPECT_TRUE(std::regex_match(response.headers[0].second, pattern))
        << response.headers[0].second;
    EXPECT_NE(std::string::npos, response.headers[0].second.find("SHA-256"));
    EXPECT_TRUE(std::regex_match(response.headers[1].second, pattern))
        << response.headers[1].second;
    EXPECT_NE(std::string::npos, response.headers[1].second.find("MD5"));

    HttpResponse stale;
    m_pAuth->challenge(stale, true);
    ASSERT_EQ(2u, stale.headers.size());
    for (const auto& header : stale.headers) {
        EXPECT_EQ(", stale=true", header.second.substr(header.second.size() - 12));
    }
    EXPECT_NE(challenge().strNonce, challenge().strNonce);
}

TEST_F(AuthenticatorTest, DigestWithSha256AndMd5LetsTheUserIn) {
    for (const char* szAlgorithm : {"SHA-256", "MD5", "sha-256", ""}) {
        DigestFields fields;
        fields.strAlgorithm = szAlgorithm;
        AuthOutcome outcome = digest(challenge(), fields);
        EXPECT_TRUE(outcome.bOk) << szAlgorithm << ": " << outcome.strReason;
        EXPECT_EQ("alice", outcome.strUser);
        EXPECT_EQ(UserLevel::ADMINISTRATOR, outcome.eLevel);
    }
    DigestFields bob;
    bob.strUser = "bob";
    bob.strPassword = "bobs pw";
    AuthOutcome outcome = digest(challenge(), bob);
    EXPECT_TRUE(outcome.bOk) << outcome.strReason;
    EXPECT_EQ(UserLevel::USER, outcome.eLevel);
}

TEST_F(AuthenticatorTest, DigestRefusesWrongCredentials) {
    DigestFields wrong;
    wrong.strPassword = "s3cret:pasS";
    AuthOutcome outcome = digest(challenge(), wrong);
    EXPECT_FALSE(outcome.bOk);
    EXPECT_EQ("wrong password", outcome.strReason);
    EXPECT_FALSE(outcome.bStale);

    DigestFields stranger;
    stranger.strUser = "mallory";
    outcome = digest(challenge(), stranger);
    EXPECT_FALSE(outcome.bOk);
    EXPECT_EQ("unknown user", outcome.strReason);

    // The hash of another realm does not fit ours.
    DigestFields realm;
    realm.strRealm = "other";
    EXPECT_FALSE(digest(challenge(), realm).bOk);
}

TEST_F(AuthenticatorTest, DigestTakesEachNonceCountOnceInAnyOrder) {
    const Challenge nonce = challenge();
    DigestFields fields;
    ASSERT_TRUE(digest(nonce, fields).bOk);
    AuthOutcome outcome = digest(nonce, fields);
    EXPECT_FALSE(outcome.bOk);
    EXPECT_EQ("nonce count used before", outcome.strReason);

    // A browser's requests side by side arrive in any order.
    fields.strNc = "00000003";
    EXPECT_TRUE(digest(nonce, fields).bOk);
    fields.strNc = "00000002";
    EXPECT_TRUE(digest(nonce, fields).bOk);
    EXPECT_FALSE(digest(nonce, fields).bOk);
    fields.strNc = "00000003";
    EXPECT_FALSE(digest(nonce, fields).bOk);
    fields.strNc = "0000000A";
    fields.strCnonce = "another";
    EXPECT_TRUE(digest(nonce, fields).bOk);
    // Further back than 64 below the highest: it cannot be told from a replay.
    fields.strNc = "00000050";
    EXPECT_TRUE(digest(nonce, fields).bOk);
    fields.strNc = "00000004";
    EXPECT_FALSE(digest(nonce, fields).bOk);
    fields.strNc = "00000011";
    EXPECT_TRUE(digest(nonce, fields).bOk);
    // A new nonce counts from one again.
    fields.strNc = "00000001";
    EXPECT_TRUE(digest(challenge(), fields).bOk);
}

TEST_F(AuthenticatorTest, DigestNoncesGoStaleAfterFiveMinutes) {
    const Challenge nonce = challenge();
    DigestFields fields;
    m_pAuth->advance(seconds(299));
    EXPECT_TRUE(digest(nonce, fields).bOk);
    m_pAuth->advance(seconds(2));
    fields.strNc = "00000002";
    AuthOutcome outcome = digest(nonce, fields);
    EXPECT_FALSE(outcome.bOk);
    EXPECT_TRUE(outcome.bStale) << outcome.strReason;
    // Stale says nothing about a wrong password.
    fields.strPassword = "guess";
    outcome = digest(nonce, fields);
    EXPECT_FALSE(outcome.bStale);
    EXPECT_EQ("wrong password", outcome.strReason);
}

TEST_F(AuthenticatorTest, DigestRefusesNoncesNotItsOwn) {
    Challenge nonce = challenge();
    DigestFields fields;
    for (std::size_t i : {0u, 10u, 20u, 42u}) {
        Challenge tampered = nonce;
        tampered.strNonce[i] = tampered.strNonce[i] == 'A' ? 'B' : 'A';
        AuthOutcome outcome = digest(tampered, fields);
        EXPECT_FALSE(outcome.bOk);
        EXPECT_FALSE(outcome.bStale);
        EXPECT_NE(std::string::npos, outcome.strReason.find("not issued")) << outcome.strReason;
    }
    Challenge shortened = nonce;
    shortened.strNonce.pop_back();
    EXPECT_FALSE(digest(shortened, fields).bOk);
    // Another instance (another key) did not issue it either.
    TestAuthenticator other(*m_pUsers, "sensord");
    EXPECT_FALSE(other.checkHttpDigest(request(authorization(nonce, fields))).bOk);
    Challenge opaque = nonce;
    opaque.strOpaque = "forged";
    EXPECT_FALSE(digest(opaque, fields).bOk);
}

TEST_F(AuthenticatorTest, DigestChecksTheUriAgainstTheRequest) {
    DigestFields fields;
    fields.strUri = "/onvif/media_service";
    EXPECT_FALSE(digest(challenge(), fields).bOk);

    HttpRequest req = request("", "/api/v1/parameters");
    req.query["id"] = "12";
    req.query["name"] = "a b";
    req.strMethod = "GET";
    fields.strMethod = "GET";
    for (const char* szUri :
         {"/api/v1/parameters?id=12&name=a%20b", "/api/v1/parameters?name=a+b&id=12",
          "/api/v1/parameters", "http://camera:8080/api/v1/parameters?id=12&name=a+b"}) {
        fields.strUri = szUri;
        req.headers["authorization"] = authorization(challenge(), fields);
        AuthOutcome outcome = m_pAuth->checkHttpDigest(req);
        EXPECT_TRUE(outcome.bOk) << szUri << ": " << outcome.strReason;
    }
    for (const char* szUri : {"/api/v1/parameters?id=13&name=a+b", "/api/v1/parameters?id=12",
                              "/api/v1/other?id=12&name=a+b"}) {
        fields.strUri = szUri;
        req.headers["authorization"] = authorization(challenge(), fields);
        EXPECT_FALSE(m_pAuth->checkHttpDigest(req).bOk) << szUri;
    }
    // The method is part of the hash.
    fields.strUri = "/api/v1/parameters";
    fields.strMethod = "PUT";
    req.headers["authorization"] = authorization(challenge(), fields);
    EXPECT_EQ("wrong password", m_pAuth->checkHttpDigest(req).strReason);
}

TEST_F(AuthenticatorTest, DigestRefusesMalformedHeadersWithAReason) {
    EXPECT_TRUE(m_pAuth->checkHttpDigest(request("")).bNoCredentials);
    EXPECT_TRUE(m_pAuth->checkHttpDigest(request("Basic YWxpY2U6cHc=")).bNoCredentials);

    const std::string strGood = authorization(challenge(), DigestFields());
    const std::vector<std::pair<std::string, std::string> > cases = {
        {"Digest", "malformed"},
        {"Digest username=\"alice", "malformed"},
        {"Digest username=alice, username=bob", "malformed"},
        {"Digest =x", "malformed"},
        {"Digest username", "malformed"},
        {strGood + ", x=\"" + std::string(4096, 'a') + "\"", "too long"},
        {std::regex_replace(strGood, std::regex(", cnonce=\"[^\"]*\""), ""), "no cnonce"},
        {std::regex_replace(strGood, std::regex("username=\"alice\", "), ""), "no username"},
        {std::regex_replace(strGood, std::regex("algorithm=SHA-256"), "algorithm=MD5-sess"),
         "session algorithms"},
        {std::regex_replace(strGood, std::regex("algorithm=SHA-256"), "algorithm=SHA-256-sess"),
         "session algorithms"},
        {std::regex_replace(strGood, std::regex("algorithm=SHA-256"), "algorithm=SHA-512-256"),
         "unknown algorithm"},
        {std::regex_replace(strGood, std::regex("qop=auth"), "qop=auth-int"), "qop"},
        {std::regex_replace(strGood, std::regex("nc=00000001"), "nc=1"), "nonce count"},
        {std::regex_replace(strGood, std::regex("nc=00000001"), "nc=0000000g"), "nonce count"},
        {strGood + ", userhash=true", "hashed"},
    };
    for (const auto& entry : cases) {
        AuthOutcome outcome = m_pAuth->checkHttpDigest(request(entry.first));
        EXPECT_FALSE(outcome.bOk) << entry.first.substr(0, 200);
        EXPECT_FALSE(outcome.bNoCredentials) << entry.first.substr(0, 200);
        EXPECT_NE(std::string::npos, outcome.strReason.find(entry.second))
            << entry.first.substr(0, 200) << " -> " << outcome.strReason;
    }
    // White space and order are free; the scheme's case is too.
    std::string strLoose =
        "digest   response=\"" +
        std::regex_replace(strGood, std::regex(".*response=\"([0-9a-f]+)\".*"), "$1") +
        "\" ,username = \"alice\"," +
        std::regex_replace(strGood, std::regex("^Digest username=\"alice\","), "");
    strLoose = std::regex_replace(strLoose, std::regex(", response=\"[0-9a-f]+\""), "");
    AuthOutcome outcome = m_pAuth->checkHttpDigest(request(strLoose));
    EXPECT_TRUE(outcome.bOk) << strLoose << " -> " << outcome.strReason;
}

TEST_F(AuthenticatorTest, ForgettingANonceToMakeRoomMakesItStaleNotReplayable) {
    const Challenge first = challenge();
    DigestFields fields;
    ASSERT_TRUE(digest(first, fields).bOk);
    // More logins than the table holds, each with a nonce of its own.
    for (int i = 0; i < 4096; ++i) {
        m_pAuth->advance(std::chrono::milliseconds(1));
        ASSERT_TRUE(digest(challenge(), fields).bOk) << i;
    }
    fields.strNc = "00000001";
    AuthOutcome outcome = digest(first, fields);
    EXPECT_FALSE(outcome.bOk);
    EXPECT_TRUE(outcome.bStale) << outcome.strReason;
}

TEST_F(AuthenticatorTest, UsernameTokenLetsTheUserIn) {
    const std::string strCreated = xsDateTime(m_pAuth->m_wall);
    AuthOutcome outcome = token("alice", "s3cret:pass", "nonce-1", strCreated);
    EXPECT_TRUE(outcome.bOk) << outcome.strReason;
    EXPECT_EQ("alice", outcome.strUser);
    EXPECT_EQ(UserLevel::ADMINISTRATOR, outcome.eLevel);

    // Fractions, "+00:00" and another zone.
    for (const std::string& strOther :
         {xsDateTime(m_pAuth->m_wall, ".123456789Z"), xsDateTime(m_pAuth->m_wall, "+00:00"),
          xsDateTime(m_pAuth->m_wall - seconds(3600), "-01:00")}) {
        outcome = token("bob", "bobs pw", "nonce for " + strOther, strOther);
        EXPECT_TRUE(outcome.bOk) << strOther << ": " << outcome.strReason;
        EXPECT_EQ(UserLevel::USER, outcome.eLevel);
    }
    // XML text may wrap the values in white space.
    outcome = m_pAuth->checkUsernameToken("\n  bob ",
                                          base64(sha1Raw("n" + strCreated + "bobs pw")) + "\n",
                                          " " + base64("n") + " ", " " + strCreated + "\n");
    EXPECT_TRUE(outcome.bOk) << outcome.strReason;
}

TEST_F(AuthenticatorTest, UsernameTokenRefusesWrongStaleAndReplayedTokens) {
    const std::string strCreated = xsDateTime(m_pAuth->m_wall);
    EXPECT_EQ("wrong password", token("alice", "s3cret", "n1", strCreated).strReason);
    EXPECT_EQ("unknown user", token("carol", "s3cret:pass", "n2", strCreated).strReason);

    ASSERT_TRUE(token("alice", "s3cret:pass", "n3", strCreated).bOk);
    EXPECT_EQ("nonce used before", token("alice", "s3cret:pass", "n3", strCreated).strReason);
    m_pAuth->advance(seconds(200));
    EXPECT_EQ("nonce used before", token("alice", "s3cret:pass", "n3", strCreated).strReason);

    const std::string strOld = xsDateTime(m_pAuth->m_wall - seconds(600));
    const std::string strFuture = xsDateTime(m_pAuth->m_wall + seconds(600));
    EXPECT_EQ("Created outside the accepted window",
              token("alice", "s3cret:pass", "n4", strOld).strReason);
    EXPECT_EQ("Created outside the accepted window",
              token("alice", "s3cret:pass", "n5", strFuture).strReason);

    const std::string strDigest = base64(sha1Raw("n6" + strCreated + "s3cret:pass"));
    const std::vector<std::pair<std::string, std::string> > badNonces = {
        {"bjY", "base64"},
        {"bj!2", "base64"},
        {"", "1 to 64"},
        {base64(std::string(65, 'x')), "1 to 64"}};
    for (const auto& entry : badNonces) {
        AuthOutcome outcome =
            m_pAuth->checkUsernameToken("alice", strDigest, entry.first, strCreated);
        EXPECT_FALSE(outcome.bOk);
        EXPECT_NE(std::string::npos, outcome.strReason.find(entry.second)) << outcome.strReason;
    }
    for (const char* szCreated :
         {"2026-12-07T10:00:00", "2026-13-07T10:00:00Z", "2026-02-29T10:00:00Z",
          "2026-12-07 10:00:00Z", "2026-12-07T10:00:00.Z", "yesterday"}) {
        AuthOutcome outcome =
            m_pAuth->checkUsernameToken("alice", strDigest, base64("n6"), szCreated);
        EXPECT_NE(std::string::npos, outcome.strReason.find("Created")) << szCreated;
    }
    EXPECT_NE(std::string::npos,
              m_pAuth->checkUsernameToken("alice", "not base64", base64("n7"), strCreated)
                  .strReason.find("PasswordDigest"));
    EXPECT_TRUE(m_pAuth->checkUsernameToken("", "", "", "").bNoCredentials);
}

TEST_F(AuthenticatorTest, AReplayedTokenGetsInOnceAcrossThreads) {
    const std::string strCreated = xsDateTime(m_pAuth->m_wall);
    std::atomic<int> nAccepted(0);
    std::atomic<int> nOwn(0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i) {
                if (token("bob", "bobs pw", "shared", strCreated).bOk) {
                    ++nAccepted;
                }
                std::string strNonce = std::to_string(t) + "/" + std::to_string(i);
                if (token("bob", "bobs pw", strNonce, strCreated).bOk) {
                    ++nOwn;
                }
                m_pAuth->recordFailure("198.51.100." + std::to_string(t));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(1, nAccepted.load());
    EXPECT_EQ(160, nOwn.load());
    int nRetry = 0;
    EXPECT_TRUE(m_pAuth->throttled("198.51.100.0", nRetry));
}

TEST_F(AuthenticatorTest, ThrottleBlocksAndDoubles) {
    const std::string strAddress = "203.0.113.9";
    int nRetry = -1;
    for (int i = 0; i < 4; ++i) {
        m_pAuth->recordFailure(strAddress);
        EXPECT_FALSE(m_pAuth->throttled(strAddress, nRetry)) << i;
    }
    m_pAuth->recordFailure(strAddress);
    ASSERT_TRUE(m_pAuth->throttled(strAddress, nRetry));
    EXPECT_EQ(1, nRetry);
    EXPECT_FALSE(m_pAuth->throttled("203.0.113.10", nRetry));

    int nExpected = 1;
    for (int i = 0; i < 12; ++i) {
        m_pAuth->advance(seconds(nExpected));
        EXPECT_FALSE(m_pAuth->throttled(strAddress, nRetry)) << nExpected;
        m_pAuth->recordFailure(strAddress);
        nExpected = std::min(2 * nExpected, 300);
        ASSERT_TRUE(m_pAuth->throttled(strAddress, nRetry));
        EXPECT_EQ(nExpected, nRetry);
    }
    m_pAuth->advance(std::chrono::milliseconds(299500));
    ASSERT_TRUE(m_pAuth->throttled(strAddress, nRetry));
    EXPECT_EQ(1, nRetry);

    m_pAuth->recordSuccess(strAddress);
    EXPECT_FALSE(m_pAuth->throttled(strAddress, nRetry));
    m_pAuth->recordFailure(strAddress);
    EXPECT_FALSE(m_pAuth->throttled(strAddress, nRetry));
}

TEST_F(AuthenticatorTest, ThrottleCountsOnlyTheLastMinute) {
    const std::string strAddress = "203.0.113.9";
    int nRetry = 0;
    for (int i = 0; i < 8; ++i) {
        m_pAuth->recordFailure(strAddress);
        m_pAuth->advance(seconds(16));
        EXPECT_FALSE(m_pAuth->throttled(strAddress, nRetry)) << i;
    }
    // Blocked, then a quiet minute after the block: it starts over at one.
    m_pAuth->advance(seconds(61));
    for (int i = 0; i < 6; ++i) {
        m_pAuth->recordFailure(strAddress);
    }
    ASSERT_TRUE(m_pAuth->throttled(strAddress, nRetry));
    EXPECT_EQ(2, nRetry);
    m_pAuth->advance(seconds(63));
    for (int i = 0; i < 4; ++i) {
        m_pAuth->recordFailure(strAddress);
        EXPECT_FALSE(m_pAuth->throttled(strAddress, nRetry)) << i;
    }
    m_pAuth->recordFailure(strAddress);
    ASSERT_TRUE(m_pAuth->throttled(strAddress, nRetry));
    EXPECT_EQ(1, nRetry);
}

}  // namespace
