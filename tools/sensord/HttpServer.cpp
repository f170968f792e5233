#include "HttpServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>

struct HttpServer::Connection {
    enum Phase { WAITING, HANDLING, STREAMING };
    MHD_Connection* pConnection = nullptr;
    int nSocket = -1;
    Phase ePhase = WAITING;
    // Since when the connection waits for a whole request.
    std::chrono::steady_clock::time_point since;
    bool bDropped = false;
};

struct HttpServer::Request {
    std::string strBody;
};

namespace {

using Clock = std::chrono::steady_clock;

MHD_Result accessCallback(void* p_pServer, MHD_Connection* p_pConnection, const char* p_szUrl,
                          const char* p_szMethod, const char* /*version*/,
                          const char* p_szUploadData, size_t* p_pUploadSize, void** p_ppContext) {
    return static_cast<HttpServer*>(p_pServer)->onRequest(
               p_pConnection, p_szUrl, p_szMethod, p_szUploadData, p_pUploadSize, p_ppContext) != 0
               ? MHD_YES
               : MHD_NO;
}

void completedCallback(void* p_pServer, MHD_Connection* p_pConnection, void** p_ppContext,
                       MHD_RequestTerminationCode /*code*/) {
    static_cast<HttpServer*>(p_pServer)->onRequestDone(p_pConnection, p_ppContext);
}

void connectionCallback(void* p_pServer, MHD_Connection* p_pConnection, void** p_ppSocketContext,
                        MHD_ConnectionNotificationCode p_eCode) {
    static_cast<HttpServer*>(p_pServer)->onConnection(p_pConnection, p_ppSocketContext,
                                                      static_cast<int>(p_eCode));
}

MHD_Result collectValue(void* p_pMap, MHD_ValueKind /*kind*/, const char* p_szKey,
                        const char* p_szValue) {
    auto& values = *static_cast<std::map<std::string, std::string>*>(p_pMap);
    std::string key = p_szKey != nullptr ? p_szKey : "";
    values[key] = p_szValue != nullptr ? p_szValue : "";
    return MHD_YES;
}

MHD_Result collectHeader(void* p_pMap, MHD_ValueKind p_eKind, const char* p_szKey,
                         const char* p_szValue) {
    std::string key = p_szKey != nullptr ? p_szKey : "";
    for (char& c : key) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return collectValue(p_pMap, p_eKind, key.c_str(), p_szValue);
}

ssize_t readStream(void* p_pStream, uint64_t /*position*/, char* p_pBuffer, size_t p_nSize) {
    long count = (*static_cast<std::function<long(char*, size_t)>*>(p_pStream))(p_pBuffer, p_nSize);
    return count < 0 ? MHD_CONTENT_READER_END_OF_STREAM : static_cast<ssize_t>(count);
}

void freeStream(void* p_pStream) {
    delete static_cast<std::function<long(char*, size_t)>*>(p_pStream);
}

std::string clientAddress(MHD_Connection* p_pConnection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(p_pConnection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (info == nullptr || info->client_addr == nullptr) {
        return "";
    }
    char text[INET6_ADDRSTRLEN] = "";
    const sockaddr* address = info->client_addr;
    if (address->sa_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                  sizeof(text));
    } else if (address->sa_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
                  sizeof(text));
    }
    return text;
}

// "127.0.0.1:8080", "[::1]:8080", ":8080" (every address).
bool parseListen(const std::string& p_strListen, sockaddr_storage& p_address, bool& p_bIpv6) {
    std::string::size_type colon = p_strListen.rfind(':');
    if (colon == std::string::npos) {
        return false;
    }
    std::string host = p_strListen.substr(0, colon);
    std::string portText = p_strListen.substr(colon + 1);
    char* end = nullptr;
    long port = std::strtol(portText.c_str(), &end, 10);
    if (portText.empty() || *end != '\0' || port < 0 || port > 65535) {
        return false;
    }
    std::memset(&p_address, 0, sizeof(p_address));
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        auto* address6 = reinterpret_cast<sockaddr_in6*>(&p_address);
        address6->sin6_family = AF_INET6;
        address6->sin6_port = htons(static_cast<uint16_t>(port));
        p_bIpv6 = true;
        return inet_pton(AF_INET6, host.substr(1, host.size() - 2).c_str(), &address6->sin6_addr) ==
               1;
    }
    auto* address4 = reinterpret_cast<sockaddr_in*>(&p_address);
    address4->sin_family = AF_INET;
    address4->sin_port = htons(static_cast<uint16_t>(port));
    p_bIpv6 = false;
    if (host.empty() || host == "*") {
        address4->sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    return inet_pton(AF_INET, host.c_str(), &address4->sin_addr) == 1;
}

}  // namespace

HttpServer::HttpServer(Limits p_limits, Handler p_handler)
    : m_limits(p_limits), m_handler(std::move(p_handler)) {}

HttpServer::~HttpServer() {
    stop();
}

bool HttpServer::start(const std::string& p_strListen, const std::string& p_strCertPem,
                       const std::string& p_strKeyPem, std::string& p_strError) {
    sockaddr_storage address;
    bool ipv6 = false;
    if (!parseListen(p_strListen, address, ipv6)) {
        p_strError = "bad listen address '" + p_strListen + "' (ADDRESS:PORT, [IPv6]:PORT)";
        return false;
    }
    m_strCert = p_strCertPem;
    m_strKey = p_strKeyPem;
    m_bTls = !m_strCert.empty();
    unsigned flags = MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD |
                     MHD_USE_POLL | MHD_USE_ERROR_LOG;
    if (ipv6) {
        flags |= MHD_USE_IPv6;
    }
    if (m_bTls) {
        flags |= MHD_USE_TLS;
    }
    MHD_OptionItem tls[] = {
        {MHD_OPTION_HTTPS_MEM_CERT, 0, const_cast<char*>(m_strCert.c_str())},
        {MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char*>(m_strKey.c_str())},
        {MHD_OPTION_END, 0, nullptr},
    };
    if (!m_bTls) {
        tls[0].option = MHD_OPTION_END;
    }
    m_pDaemon = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &accessCallback, this, MHD_OPTION_SOCK_ADDR,
        reinterpret_cast<sockaddr*>(&address), MHD_OPTION_CONNECTION_LIMIT,
        static_cast<unsigned>(m_limits.nConnections), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        static_cast<unsigned>(m_limits.nConnectionsPerAddress), MHD_OPTION_CONNECTION_TIMEOUT,
        static_cast<unsigned>(m_limits.nIdleSeconds), MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        static_cast<size_t>(32 * 1024), MHD_OPTION_LISTEN_BACKLOG_SIZE, 64u,
        MHD_OPTION_NOTIFY_COMPLETED, &completedCallback, this, MHD_OPTION_NOTIFY_CONNECTION,
        &connectionCallback, this, MHD_OPTION_ARRAY, tls, MHD_OPTION_END);
    if (m_pDaemon == nullptr) {
        p_strError = "cannot listen on " + p_strListen +
                     (m_bTls ? " (or the TLS certificate and key were not taken)"
                             : " (in use, or not an address of this machine)");
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(m_pDaemon, MHD_DAEMON_INFO_BIND_PORT);
    m_nPort = info != nullptr ? info->port : 0;
    m_reaper = std::thread([this] { reap(); });
    return true;
}

void HttpServer::quiesce() {
    if (m_pDaemon != nullptr) {
        MHD_socket listening = MHD_quiesce_daemon(m_pDaemon);
        if (listening != MHD_INVALID_SOCKET) {
            close(listening);
        }
    }
}

void HttpServer::stop() {
    if (m_pDaemon == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
    }
    m_wake.notify_all();
    if (m_reaper.joinable()) {
        m_reaper.join();
    }
    MHD_stop_daemon(m_pDaemon);
    m_pDaemon = nullptr;
}

HttpServer::Counters HttpServer::counters() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_counters;
}

void HttpServer::onConnection(MHD_Connection* p_pConnection, void** p_ppSocketContext,
                              int p_nCode) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (p_nCode == MHD_CONNECTION_NOTIFY_STARTED) {
        auto* connection = new Connection;
        connection->pConnection = p_pConnection;
        const MHD_ConnectionInfo* info =
            MHD_get_connection_info(p_pConnection, MHD_CONNECTION_INFO_CONNECTION_FD);
        connection->nSocket = info != nullptr ? info->connect_fd : -1;
        connection->since = Clock::now();
        m_connections[p_pConnection] = connection;
        *p_ppSocketContext = connection;
        return;
    }
    auto it = m_connections.find(p_pConnection);
    if (it != m_connections.end()) {
        delete it->second;
        m_connections.erase(it);
    }
    *p_ppSocketContext = nullptr;
}

int HttpServer::onRequest(MHD_Connection* p_pConnection, const char* p_szUrl,
                          const char* p_szMethod, const char* p_szUploadData, size_t* p_pUploadSize,
                          void** p_ppContext) {
    auto* request = static_cast<Request*>(*p_ppContext);
    if (request == nullptr) {
        // The headers are in; the body, if any, follows in later calls.
        *p_ppContext = request = new Request;
        const char* length =
            MHD_lookup_connection_value(p_pConnection, MHD_HEADER_KIND, "Content-Length");
        if (length != nullptr && std::strtoull(length, nullptr, 10) > m_limits.nMaxBody) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                ++m_counters.nTooLarge;
            }
            return respond(
                p_pConnection,
                HttpResponse::text(413, "the request body is over " +
                                            std::to_string(m_limits.nMaxBody) + " bytes\n"));
        }
        return 1;
    }
    if (*p_pUploadSize != 0) {
        if (request->strBody.size() + *p_pUploadSize > m_limits.nMaxBody) {
            // A body without a length that grows too long: the connection goes.
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_counters.nTooLarge;
            return 0;
        }
        request->strBody.append(p_szUploadData, *p_pUploadSize);
        *p_pUploadSize = 0;
        return 1;
    }
    HttpRequest http;
    http.strMethod = p_szMethod;
    http.strPath = p_szUrl;
    http.strBody = std::move(request->strBody);
    http.strClientAddress = clientAddress(p_pConnection);
    http.bTls = m_bTls;
    MHD_get_connection_values(p_pConnection, MHD_HEADER_KIND, &collectHeader, &http.headers);
    MHD_get_connection_values(p_pConnection, MHD_GET_ARGUMENT_KIND, &collectValue, &http.query);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_counters.nRequests;
        auto it = m_connections.find(p_pConnection);
        if (it != m_connections.end()) {
            it->second->ePhase = Connection::HANDLING;
        }
    }
    return respond(p_pConnection, m_handler(http));
}

int HttpServer::respond(MHD_Connection* p_pConnection, const HttpResponse& p_response) {
    MHD_Response* response = nullptr;
    if (p_response.stream) {
        response = MHD_create_response_from_callback(
            MHD_SIZE_UNKNOWN, 4096, &readStream,
            new std::function<long(char*, size_t)>(p_response.stream), &freeStream);
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_connections.find(p_pConnection);
        if (it != m_connections.end()) {
            it->second->ePhase = Connection::STREAMING;
        }
    } else {
        response = MHD_create_response_from_buffer(p_response.strBody.size(),
                                                   const_cast<char*>(p_response.strBody.data()),
                                                   MHD_RESPMEM_MUST_COPY);
    }
    if (response == nullptr) {
        return 0;
    }
    MHD_add_response_header(response, "Content-Type", p_response.strContentType.c_str());
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    for (const auto& header : p_response.headers) {
        MHD_add_response_header(response, header.first.c_str(), header.second.c_str());
    }
    MHD_Result queued =
        MHD_queue_response(p_pConnection, static_cast<unsigned>(p_response.nStatus), response);
    MHD_destroy_response(response);
    return queued == MHD_YES ? 1 : 0;
}

void HttpServer::onRequestDone(MHD_Connection* p_pConnection, void** p_ppContext) {
    delete static_cast<Request*>(*p_ppContext);
    *p_ppContext = nullptr;
    // The connection waits for its next request from now.
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_connections.find(p_pConnection);
    if (it != m_connections.end()) {
        it->second->ePhase = Connection::WAITING;
        it->second->since = Clock::now();
    }
}

void HttpServer::reap() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_bStopping) {
        m_wake.wait_for(lock, std::chrono::seconds(1));
        Clock::time_point now = Clock::now();
        for (auto& entry : m_connections) {
            Connection* connection = entry.second;
            if (connection->ePhase != Connection::WAITING || connection->bDropped ||
                now - connection->since < std::chrono::seconds(m_limits.nRequestSeconds)) {
                continue;
            }
            // Its thread is in a read of the socket: this ends it there.
            shutdown(connection->nSocket, SHUT_RDWR);
            connection->bDropped = true;
            ++m_counters.nDroppedSlow;
        }
    }
}
