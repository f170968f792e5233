#ifndef SENSORD_HTTP_H
#define SENSORD_HTTP_H

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A request as the HTTP server hands it to the service: parsed by the
// server library, the body read whole (it is within the size limit).
struct HttpRequest {
    std::string strMethod;  // "GET", "POST"
    std::string strPath;    // "/onvif/imaging_service", without the query
    std::map<std::string, std::string> query;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string strBody;
    std::string strClientAddress;  // "127.0.0.1"
    bool bTls = false;             // came over https

    // The header's value, or empty.
    const std::string& header(const std::string& p_strLowerCaseName) const {
        static const std::string none;
        auto it = headers.find(p_strLowerCaseName);
        return it == headers.end() ? none : it->second;
    }
};

struct HttpResponse {
    int nStatus = 200;
    std::string strContentType = "text/plain; charset=utf-8";
    std::string strBody;
    // Extra headers; a name may repeat (two WWW-Authenticate challenges).
    std::vector<std::pair<std::string, std::string> > headers;
    // A response that goes on (server-sent events): called again and again
    // on the connection's own thread, it may wait for data (a second or so at
    // most, so a stopping server is not held up); it returns the bytes it
    // put into the buffer, 0 for none yet, or -1 to end the response.
    std::function<long(char* p_pBuffer, size_t p_nSize)> stream;

    static HttpResponse text(int p_nStatus, const std::string& p_strBody) {
        HttpResponse response;
        response.nStatus = p_nStatus;
        response.strBody = p_strBody;
        return response;
    }
};

#endif
