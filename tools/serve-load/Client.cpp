#include "Client.h"

#include <curl/curl.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Where a transfer's bytes go: the body, or a streaming reader.
struct Sink {
    std::string* pBody = nullptr;
    const std::function<void(const char*, size_t)>* pOnData = nullptr;
    const std::atomic<bool>* pStop = nullptr;
    long long* pBodyAsked = nullptr;
};

size_t onWrite(char* p_pData, size_t p_nSize, size_t p_nCount, void* p_pSink) {
    Sink& sink = *static_cast<Sink*>(p_pSink);
    size_t bytes = p_nSize * p_nCount;
    if (sink.pOnData != nullptr) {
        (*sink.pOnData)(p_pData, bytes);
    } else if (sink.pBody != nullptr) {
        sink.pBody->append(p_pData, bytes);
    }
    return bytes;
}

int onProgress(void* p_pSink, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const Sink& sink = *static_cast<Sink*>(p_pSink);
    return sink.pStop != nullptr && sink.pStop->load() ? 1 : 0;
}

// Asked for the body the server should have refused: refuse to give it.
size_t onRead(char*, size_t p_nSize, size_t p_nCount, void* p_pSink) {
    Sink& sink = *static_cast<Sink*>(p_pSink);
    if (sink.pBodyAsked != nullptr) {
        *sink.pBodyAsked += static_cast<long long>(p_nSize * p_nCount);
    }
    return CURL_READFUNC_ABORT;
}

}  // namespace

void initialiseHttp() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

std::string Reply::summary() const {
    if (!strCurlError.empty()) {
        return "curl: " + strCurlError +
               (nStatus != 0 ? " (HTTP " + std::to_string(nStatus) + ")" : std::string());
    }
    return "HTTP " + std::to_string(nStatus);
}

HttpClient::HttpClient(std::string p_strBase, std::string p_strSource)
    : m_strBase(std::move(p_strBase)),
      m_strSource(std::move(p_strSource)),
      m_pCurl(curl_easy_init()) {}

HttpClient::~HttpClient() {
    curl_easy_cleanup(m_pCurl);
}

void HttpClient::prepare(const std::string& p_strPath, bool p_bDigest) {
    std::string url = m_strBase + p_strPath;
    curl_easy_setopt(m_pCurl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(m_pCurl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(m_pCurl, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(m_pCurl, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_CUSTOMREQUEST, nullptr);
    if (!m_strSource.empty()) {
        std::string source = "host!" + m_strSource;
        curl_easy_setopt(m_pCurl, CURLOPT_INTERFACE, source.c_str());
    }
    if (p_bDigest && !m_account.strUser.empty()) {
        curl_easy_setopt(m_pCurl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_DIGEST));
        curl_easy_setopt(m_pCurl, CURLOPT_USERNAME, m_account.strUser.c_str());
        curl_easy_setopt(m_pCurl, CURLOPT_PASSWORD, m_account.strPassword.c_str());
    } else {
        curl_easy_setopt(m_pCurl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_NONE));
        curl_easy_setopt(m_pCurl, CURLOPT_USERNAME, nullptr);
        curl_easy_setopt(m_pCurl, CURLOPT_PASSWORD, nullptr);
    }
}

Reply HttpClient::perform(const std::string& p_strMethod, const std::string& p_strPath,
                          const std::string* p_pBody, const std::vector<std::string>& p_headers) {
    // ONVIF carries its credentials in the envelope.
    bool onvif = p_strPath.compare(0, 7, "/onvif/") == 0;
    prepare(p_strPath, !onvif);
    Reply reply;
    Sink sink;
    sink.pBody = &reply.strBody;
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, &onWrite);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, &sink);
    if (p_strMethod == "GET") {
        curl_easy_setopt(m_pCurl, CURLOPT_HTTPGET, 1L);
    } else {
        curl_easy_setopt(m_pCurl, CURLOPT_POST, 1L);
        curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDSIZE, static_cast<long>(p_pBody->size()));
        curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDS, p_pBody->c_str());
        if (p_strMethod != "POST") {
            curl_easy_setopt(m_pCurl, CURLOPT_CUSTOMREQUEST, p_strMethod.c_str());
        }
    }
    curl_slist* headers = nullptr;
    for (const std::string& header : p_headers) {
        headers = curl_slist_append(headers, header.c_str());
    }
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, headers);
    Clock::time_point start = Clock::now();
    CURLcode code = curl_easy_perform(m_pCurl);
    reply.dMillis = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &reply.nStatus);
    if (code != CURLE_OK) {
        reply.strCurlError = curl_easy_strerror(code);
    }
    return reply;
}

Reply HttpClient::get(const std::string& p_strPath) {
    return perform("GET", p_strPath, nullptr, {});
}

Reply HttpClient::post(const std::string& p_strPath, const std::string& p_strBody,
                       const std::string& p_strContentType) {
    return perform("POST", p_strPath, &p_strBody, {"Content-Type: " + p_strContentType});
}

Reply HttpClient::soap(const std::string& p_strPath, const std::string& p_strEnvelope) {
    return post(p_strPath, p_strEnvelope, "application/soap+xml; charset=utf-8");
}

Reply HttpClient::stream(const std::string& p_strPath,
                         const std::function<void(const char*, size_t)>& p_onData,
                         const std::atomic<bool>& p_stop) {
    prepare(p_strPath, true);
    Reply reply;
    Sink sink;
    sink.pOnData = &p_onData;
    sink.pStop = &p_stop;
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_TIMEOUT, 0L);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, &onWrite);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(m_pCurl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFODATA, &sink);
    Clock::time_point start = Clock::now();
    CURLcode code = curl_easy_perform(m_pCurl);
    reply.dMillis = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    curl_easy_setopt(m_pCurl, CURLOPT_NOPROGRESS, 1L);
    curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &reply.nStatus);
    // Ended by the reader: that is how a stream is meant to end here.
    if (code != CURLE_OK && !(code == CURLE_ABORTED_BY_CALLBACK && p_stop.load())) {
        reply.strCurlError = curl_easy_strerror(code);
    }
    return reply;
}

Reply HttpClient::announceBody(const std::string& p_strPath, long long p_nLength,
                               long long& p_nBodyAsked) {
    prepare(p_strPath, true);
    Reply reply;
    Sink sink;
    sink.pBody = &reply.strBody;
    sink.pBodyAsked = &p_nBodyAsked;
    p_nBodyAsked = 0;
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, &onWrite);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(m_pCurl, CURLOPT_POST, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDS, nullptr);
    curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(p_nLength));
    curl_easy_setopt(m_pCurl, CURLOPT_READFUNCTION, &onRead);
    curl_easy_setopt(m_pCurl, CURLOPT_READDATA, &sink);
    // Long enough that a body sent at all means the server waited for it.
    curl_easy_setopt(m_pCurl, CURLOPT_EXPECT_100_TIMEOUT_MS, 10000L);
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
    headers = curl_slist_append(headers, "Expect: 100-continue");
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, headers);
    Clock::time_point start = Clock::now();
    CURLcode code = curl_easy_perform(m_pCurl);
    reply.dMillis = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &reply.nStatus);
    if (code != CURLE_OK) {
        reply.strCurlError = curl_easy_strerror(code);
    }
    return reply;
}
