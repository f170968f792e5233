#ifndef SENSORD_TEST_HTTPTESTCLIENT_H
#define SENSORD_TEST_HTTPTESTCLIENT_H

#include <map>
#include <string>

// A blocking HTTP/1.1 client over a plain socket for the tests: one request
// per connection, the answer read whole (Content-Length, or until the server
// closes). With a user it answers a Digest challenge the way a browser does.
struct TestResponse {
    int nStatus = 0;                                  // 0: no answer (refused, closed, timed out)
    std::multimap<std::string, std::string> headers;  // names in lower case
    std::string strBody;
    std::string header(const std::string& p_strName) const;
};

class HttpTestClient {
public:
    explicit HttpTestClient(int p_nPort) : m_nPort(p_nPort) {}

    void setUser(const std::string& p_strUser, const std::string& p_strPassword,
                 const std::string& p_strAlgorithm = "SHA-256") {
        m_strUser = p_strUser;
        m_strPassword = p_strPassword;
        m_strAlgorithm = p_strAlgorithm;
    }
    TestResponse request(const std::string& p_strMethod, const std::string& p_strPath,
                         const std::string& p_strBody = "",
                         const std::string& p_strContentType = "application/json");
    // The Authorization header for a request, from a challenge the server
    // gives to an unauthenticated one; empty when it gives none.
    std::string authorizationFor(const std::string& p_strMethod, const std::string& p_strPath);
    // Sends p_strRaw as it is on a new connection and reads the answer.
    TestResponse raw(const std::string& p_strRaw, int p_nTimeoutSeconds = 30);
    // A connected socket, for tests that hold one open; -1 when refused.
    int open();

private:
    std::string authorization(const std::string& p_strChallenge, const std::string& p_strMethod,
                              const std::string& p_strPath);

    int m_nPort;
    std::string m_strUser;
    std::string m_strPassword;
    std::string m_strAlgorithm;
    unsigned m_nCount = 0;
};

// Reads what the socket has until the answer is whole or p_nTimeoutSeconds.
TestResponse readResponse(int p_nSocket, int p_nTimeoutSeconds);

#endif
