#ifndef SENSORD_HTTPSERVER_H
#define SENSORD_HTTPSERVER_H

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "Http.h"

struct MHD_Daemon;
struct MHD_Connection;

// The HTTP side of sensord, on libmicrohttpd: one thread per connection, so
// a slow or stuck client holds up nobody but itself, with every limit set:
// connections in all and per address (over them a connection is closed at
// once, never queued), an idle time-out, a deadline for a whole request to
// arrive (a client trickling one byte a second is dropped), a body size
// (refused with 413 from its Content-Length, before a byte of it is read).
class HttpServer {
public:
    struct Limits {
        unsigned nConnections = 64;
        unsigned nConnectionsPerAddress = 40;
        unsigned nIdleSeconds = 15;
        unsigned nRequestSeconds = 10;  // from a request's first byte to its last
        size_t nMaxBody = 64 * 1024;
    };
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    HttpServer(Limits p_limits, Handler p_handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on "ADDRESS:PORT" (port 0: any free one, see port()); with a
    // certificate and key in PEM, over TLS. False with p_strError.
    bool start(const std::string& p_strListen, const std::string& p_strCertPem,
               const std::string& p_strKeyPem, std::string& p_strError);
    int port() const { return m_nPort; }
    // Stops accepting; what is in flight goes on.
    void quiesce();
    // Lets what is in flight finish, closes every connection, joins every
    // thread.
    void stop();

    // Counters for the load harness and the closing figures.
    struct Counters {
        unsigned long nRequests = 0;
        unsigned long nTooLarge = 0;
        unsigned long nDroppedSlow = 0;
    };
    Counters counters() const;

    // Internals the C callbacks reach.
    struct Connection;
    struct Request;
    int onRequest(MHD_Connection* p_pConnection, const char* p_szUrl, const char* p_szMethod,
                  const char* p_szUploadData, size_t* p_pUploadSize, void** p_ppContext);
    void onRequestDone(MHD_Connection* p_pConnection, void** p_ppContext);
    void onConnection(MHD_Connection* p_pConnection, void** p_ppSocketContext, int p_nCode);

private:
    int respond(MHD_Connection* p_pConnection, const HttpResponse& p_response);
    void reap();

    Limits m_limits;
    Handler m_handler;
    MHD_Daemon* m_pDaemon = nullptr;
    int m_nPort = 0;
    std::string m_strCert;
    std::string m_strKey;
    bool m_bTls = false;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<MHD_Connection*, Connection*> m_connections;
    bool m_bStopping = false;
    std::thread m_reaper;
    Counters m_counters;
};

#endif
