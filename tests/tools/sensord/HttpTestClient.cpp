#include "HttpTestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "auth/Crypto.h"

namespace {

std::string lower(std::string p_strText) {
    for (char& c : p_strText) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return p_strText;
}

// The value of key="..." or key=... in a challenge.
std::string field(const std::string& p_strChallenge, const std::string& p_strKey) {
    std::string::size_type at = p_strChallenge.find(p_strKey + "=");
    if (at == std::string::npos) {
        return "";
    }
    at += p_strKey.size() + 1;
    if (p_strChallenge[at] == '"') {
        return p_strChallenge.substr(at + 1, p_strChallenge.find('"', at + 1) - at - 1);
    }
    return p_strChallenge.substr(at, p_strChallenge.find_first_of(", ", at) - at);
}

}  // namespace

std::string TestResponse::header(const std::string& p_strName) const {
    auto it = headers.find(lower(p_strName));
    return it == headers.end() ? "" : it->second;
}

int HttpTestClient::open() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(m_nPort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

TestResponse readResponse(int p_nSocket, int p_nTimeoutSeconds) {
    TestResponse response;
    std::string data;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(p_nTimeoutSeconds);
    std::string::size_type headerEnd = std::string::npos;
    size_t wanted = std::string::npos;
    while (std::chrono::steady_clock::now() < deadline) {
        if (headerEnd != std::string::npos && wanted != std::string::npos &&
            data.size() >= headerEnd + 4 + wanted) {
            break;
        }
        pollfd wait{p_nSocket, POLLIN, 0};
        if (poll(&wait, 1, 100) <= 0) {
            continue;
        }
        char buffer[4096];
        ssize_t count = recv(p_nSocket, buffer, sizeof(buffer), 0);
        if (count <= 0) {
            break;
        }
        data.append(buffer, static_cast<size_t>(count));
        if (headerEnd == std::string::npos &&
            (headerEnd = data.find("\r\n\r\n")) != std::string::npos) {
            std::string head = data.substr(0, headerEnd);
            response.nStatus = std::atoi(head.substr(head.find(' ') + 1).c_str());
            std::string::size_type line = head.find("\r\n");
            while (line != std::string::npos) {
                std::string::size_type next = head.find("\r\n", line + 2);
                std::string text = head.substr(
                    line + 2, next == std::string::npos ? std::string::npos : next - line - 2);
                std::string::size_type colon = text.find(':');
                if (colon != std::string::npos) {
                    std::string value = text.substr(colon + 1);
                    value.erase(0, value.find_first_not_of(' '));
                    response.headers.emplace(lower(text.substr(0, colon)), value);
                }
                line = next;
            }
            std::string length = response.header("content-length");
            if (!length.empty()) {
                wanted = std::strtoul(length.c_str(), nullptr, 10);
            }
        }
    }
    if (headerEnd != std::string::npos) {
        response.strBody = data.substr(headerEnd + 4);
    }
    return response;
}

TestResponse HttpTestClient::raw(const std::string& p_strRaw, int p_nTimeoutSeconds) {
    int fd = open();
    if (fd < 0) {
        return TestResponse();
    }
    send(fd, p_strRaw.data(), p_strRaw.size(), MSG_NOSIGNAL);
    TestResponse response = readResponse(fd, p_nTimeoutSeconds);
    close(fd);
    return response;
}

std::string HttpTestClient::authorization(const std::string& p_strChallenge,
                                          const std::string& p_strMethod,
                                          const std::string& p_strPath) {
    bool md5 = m_strAlgorithm == "MD5";
    auto hash = [md5](const std::string& p_strText) {
        return md5 ? crypto::md5Hex(p_strText) : crypto::sha256Hex(p_strText);
    };
    std::string realm = field(p_strChallenge, "realm");
    std::string nonce = field(p_strChallenge, "nonce");
    char count[16];
    std::snprintf(count, sizeof(count), "%08x", ++m_nCount);
    std::string cnonce = crypto::toHex(crypto::randomBytes(8));
    std::string ha1 = hash(m_strUser + ":" + realm + ":" + m_strPassword);
    std::string ha2 = hash(p_strMethod + ":" + p_strPath);
    std::string response = hash(ha1 + ":" + nonce + ":" + count + ":" + cnonce + ":auth:" + ha2);
    return "Digest username=\"" + m_strUser + "\", realm=\"" + realm + "\", nonce=\"" + nonce +
           "\", uri=\"" + p_strPath + "\", algorithm=" + m_strAlgorithm +
           ", qop=auth, nc=" + count + ", cnonce=\"" + cnonce + "\", response=\"" + response +
           "\", opaque=\"" + field(p_strChallenge, "opaque") + "\"";
}

std::string HttpTestClient::authorizationFor(const std::string& p_strMethod,
                                             const std::string& p_strPath) {
    TestResponse response = raw(p_strMethod + " " + p_strPath +
                                " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    // The challenge for the algorithm this client speaks.
    auto range = response.headers.equal_range("www-authenticate");
    for (auto it = range.first; it != range.second; ++it) {
        if (field(it->second, "algorithm") == m_strAlgorithm) {
            return authorization(it->second, p_strMethod, p_strPath);
        }
    }
    return "";
}

TestResponse HttpTestClient::request(const std::string& p_strMethod, const std::string& p_strPath,
                                     const std::string& p_strBody,
                                     const std::string& p_strContentType) {
    std::string text = p_strMethod + " " + p_strPath +
                       " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(m_nPort) +
                       "\r\nConnection: close\r\n";
    if (!m_strUser.empty()) {
        text += "Authorization: " + authorizationFor(p_strMethod, p_strPath) + "\r\n";
    }
    if (!p_strBody.empty()) {
        text += "Content-Type: " + p_strContentType +
                "\r\nContent-Length: " + std::to_string(p_strBody.size()) + "\r\n";
    }
    return raw(text + "\r\n" + p_strBody);
}
