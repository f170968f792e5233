#ifndef SERVELOAD_CLIENT_H
#define SERVELOAD_CLIENT_H

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

typedef void CURL;

struct Account {
    std::string strUser;
    std::string strPassword;
};

// One answer as the client saw it.
struct Reply {
    long nStatus = 0;          // 0: no HTTP answer
    std::string strCurlError;  // empty when the exchange itself went through
    std::string strBody;
    double dMillis = 0;
    bool ok() const { return strCurlError.empty() && nStatus >= 200 && nStatus < 300; }
    // "HTTP 502", "curl: Timeout was reached"
    std::string summary() const;
};

// One client connection to sensord on libcurl: keep-alive on its own
// handle, HTTP Digest done by libcurl for the JSON API, WS-UsernameToken
// envelopes for ONVIF. One thread per client.
class HttpClient {
public:
    // p_strSource: the local address to connect from ("127.0.0.2"), empty
    // for any; sensord counts connections and failed log-ins by address.
    explicit HttpClient(std::string p_strBase, std::string p_strSource = "");
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // The user for HTTP Digest; an empty name sends no credentials.
    void setAccount(const Account& p_account) { m_account = p_account; }
    const Account& account() const { return m_account; }

    Reply get(const std::string& p_strPath);
    Reply post(const std::string& p_strPath, const std::string& p_strBody,
               const std::string& p_strContentType = "application/json");
    // POSTs the envelope to an ONVIF service path.
    Reply soap(const std::string& p_strPath, const std::string& p_strEnvelope);
    // GET that goes on: p_onData takes each piece as it comes until p_stop
    // is set (checked about once a second even when nothing comes).
    Reply stream(const std::string& p_strPath,
                 const std::function<void(const char*, size_t)>& p_onData,
                 const std::atomic<bool>& p_stop);
    // A POST that announces p_nLength body bytes and waits to be asked for
    // them (Expect: 100-continue); p_nBodyAsked tells how many bytes the
    // server asked for before it answered.
    Reply announceBody(const std::string& p_strPath, long long p_nLength, long long& p_nBodyAsked);

private:
    Reply perform(const std::string& p_strMethod, const std::string& p_strPath,
                  const std::string* p_pBody, const std::vector<std::string>& p_headers);
    void prepare(const std::string& p_strPath, bool p_bDigest);

    std::string m_strBase;
    std::string m_strSource;
    Account m_account;
    CURL* m_pCurl;
    std::string m_strUserPassword;
};

// Once per process, before any thread makes a client.
void initialiseHttp();

#endif
