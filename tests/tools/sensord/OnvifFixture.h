#ifndef SENSORD_TEST_ONVIFFIXTURE_H
#define SENSORD_TEST_ONVIFFIXTURE_H

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <stdlib.h>

#include <ctime>
#include <memory>
#include <string>

#include "Host.h"
#include "ImageService.h"
#include "auth/Authenticator.h"
#include "auth/Users.h"
#include "onvif/OnvifService.h"
#include "onvif/Soap.h"
#include "support/QuietConsole.h"

// Namespace declarations and element helpers for the requests the tests
// send, written the way common clients write them.
namespace onvif_test {

const char* const kDevice = "/onvif/device_service";
const char* const kMedia = "/onvif/media_service";
const char* const kImaging = "/onvif/imaging_service";

inline std::string base64(const std::string& p_strBytes) {
    std::string text(4 * ((p_strBytes.size() + 2) / 3) + 1, '\0');
    int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&text[0]),
                                 reinterpret_cast<const unsigned char*>(p_strBytes.data()),
                                 static_cast<int>(p_strBytes.size()));
    text.resize(static_cast<size_t>(length));
    return text;
}

inline std::string utcNow(long p_nOffsetSeconds = 0) {
    std::time_t now = std::time(nullptr) + p_nOffsetSeconds;
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// A UsernameToken with PasswordDigest: base64(SHA-1(nonce + created +
// password)), a fresh random nonce each time.
inline std::string securityHeader(const std::string& p_strUser, const std::string& p_strPassword,
                                  long p_nClockOffset = 0) {
    std::string nonce(16, '\0');
    RAND_bytes(reinterpret_cast<unsigned char*>(&nonce[0]), static_cast<int>(nonce.size()));
    std::string created = utcNow(p_nClockOffset);
    std::string input = nonce + created + p_strPassword;
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(input.data()), input.size(), digest);
    return "<wsse:Security s:mustUnderstand=\"1\" xmlns:wsse=\"http://docs.oasis-open.org/wss/"
           "2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd\" xmlns:wsu=\"http://docs.oasis-"
           "open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd\"><wsse:UsernameToken>"
           "<wsse:Username>" +
           p_strUser +
           "</wsse:Username><wsse:Password Type=\"http://docs."
           "oasis-open.org/wss/2004/01/oasis-200401-wss-username-token-profile-1.0#PasswordDigest"
           "\">" +
           base64(std::string(reinterpret_cast<char*>(digest), sizeof(digest))) +
           "</wsse:Password><wsse:Nonce>" + base64(nonce) + "</wsse:Nonce><wsu:Created>" + created +
           "</wsu:Created></wsse:UsernameToken></wsse:Security>";
}

inline std::string envelope(const std::string& p_strBody, const std::string& p_strHeader = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><s:Envelope xmlns:s=\"http://www.w3.org/"
           "2003/05/soap-envelope\" xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\" "
           "xmlns:trt=\"http://www.onvif.org/ver10/media/wsdl\" xmlns:timg=\"http://www.onvif."
           "org/ver20/imaging/wsdl\" xmlns:tt=\"http://www.onvif.org/ver10/schema\">" +
           (p_strHeader.empty() ? "" : "<s:Header>" + p_strHeader + "</s:Header>") + "<s:Body>" +
           p_strBody + "</s:Body></s:Envelope>";
}

// The response decoded: the Body's element, a fault or the operation's
// response.
struct Reply {
    HttpResponse http;
    SoapRequest soap;
    bool bDecoded = false;

    const XmlElement& body() const { return soap.operation; }
    bool isFault() const { return body().is(ns::kEnvelope, "Fault"); }
    // "env:Sender/ter:InvalidArgVal/ter:NoSource"
    std::string faultCode() const {
        std::string code;
        const XmlElement* level = body().child(ns::kEnvelope, "Code");
        while (level != nullptr) {
            const XmlElement* value = level->child(ns::kEnvelope, "Value");
            code += (code.empty() ? "" : "/") + (value != nullptr ? value->trimmedText() : "");
            level = level->child(ns::kEnvelope, "Subcode");
        }
        return code;
    }
    std::string reason() const {
        const XmlElement* reason = body().child(ns::kEnvelope, "Reason");
        const XmlElement* text = reason ? reason->child(ns::kEnvelope, "Text") : nullptr;
        return text != nullptr ? text->trimmedText() : "";
    }
    // The text at a path of child names below the body, each in p_szNamespace
    // except where a name says "timg:" or "tt:" itself.
    const XmlElement* find(std::initializer_list<const char*> p_path) const {
        const XmlElement* at = &body();
        for (const char* step : p_path) {
            std::string name = step;
            const char* space = ns::kSchema;
            if (name.compare(0, 5, "timg:") == 0) {
                space = ns::kImaging;
                name = name.substr(5);
            } else if (name.compare(0, 4, "trt:") == 0) {
                space = ns::kMedia;
                name = name.substr(4);
            } else if (name.compare(0, 4, "tds:") == 0) {
                space = ns::kDevice;
                name = name.substr(4);
            }
            at = at != nullptr ? at->child(space, name.c_str()) : nullptr;
        }
        return at;
    }
    std::string text(std::initializer_list<const char*> p_path) const {
        const XmlElement* element = find(p_path);
        return element != nullptr ? element->trimmedText() : "<absent>";
    }
};

// A camera on its simulated module with the ONVIF service in front of it,
// without sockets: every call goes straight to OnvifService::handle. Users:
// "admin" (Administrator), "operator" (Operator), "viewer" (User).
class OnvifCamera {
public:
    explicit OnvifCamera(const std::string& p_strModule,
                         const std::string& p_strStreamUri = "rtsp://camera.local/stream") {
        char pattern[] = "/tmp/sensord-onvif-XXXXXX";
        m_strRoot = mkdtemp(pattern);
        HostOptions options;
        options.strRoot = m_strRoot;
        options.strModule = p_strModule;
        options.bVirtualTime = true;
        {
            QuietConsole quiet;
            m_host = std::make_unique<Host>(options);
            m_host->boot();
        }
        m_image = std::make_unique<ImageService>(*m_host);
        m_users = std::make_unique<UserStore>(m_strRoot + "/users");
        std::string notice;
        std::string error;
        EXPECT_TRUE(m_users->load(m_strRoot + "/initial-password", notice, error)) << error;
        EXPECT_TRUE(m_users->add({"operator", "operator-pass", UserLevel::OPERATOR}, error));
        EXPECT_TRUE(m_users->add({"viewer", "viewer-pass", UserLevel::USER}, error));
        UserLevel administrator = UserLevel::ADMINISTRATOR;
        std::string password = "admin-pass";
        EXPECT_TRUE(m_users->change("admin", &password, &administrator, error)) << error;
        m_auth = std::make_unique<Authenticator>(*m_users, "camera");
        OnvifIdentity identity;
        identity.strModel = p_strModule;
        identity.strFirmwareVersion = "1.2.3";
        identity.strSerialNumber = "SN-0001";
        identity.strHardwareId = std::to_string(m_host->moduleId());
        identity.strStreamUri = p_strStreamUri;
        m_onvif = std::make_unique<OnvifService>(*m_image, *m_auth, identity);
    }
    ~OnvifCamera() {
        m_onvif.reset();
        m_auth.reset();
        m_image.reset();
        {
            QuietConsole quiet;
            m_host.reset();
        }
        std::string command = "rm -rf '" + m_strRoot + "'";
        EXPECT_EQ(0, std::system(command.c_str()));
    }

    // Posts a whole request body as it is.
    Reply raw(const char* p_szPath, const std::string& p_strBody,
              const std::string& p_strAddress = "192.0.2.10") {
        HttpRequest request;
        request.strMethod = "POST";
        request.strPath = p_szPath;
        request.headers["host"] = "camera.local:8080";
        request.headers["content-type"] = "application/soap+xml; charset=utf-8";
        request.strBody = p_strBody;
        request.strClientAddress = p_strAddress;
        return send(request);
    }
    Reply send(const HttpRequest& p_request) {
        Reply reply;
        reply.http = m_onvif->handle(p_request);
        std::string why;
        reply.bDecoded =
            decodeSoapRequest(reply.http.strBody, reply.soap, why) == SoapDecodeError::NONE;
        return reply;
    }
    // An operation as a user ("" for none), with a fresh UsernameToken.
    Reply call(const char* p_szPath, const std::string& p_strOperation,
               const std::string& p_strUser = "admin") {
        std::string header;
        if (!p_strUser.empty()) {
            header = securityHeader(p_strUser, p_strUser == "admin"      ? "admin-pass"
                                               : p_strUser == "operator" ? "operator-pass"
                                                                         : "viewer-pass");
        }
        return raw(p_szPath, envelope(p_strOperation, header));
    }

    ImageService& image() { return *m_image; }
    Host& host() { return *m_host; }
    Authenticator& auth() { return *m_auth; }
    OnvifService& onvif() { return *m_onvif; }

private:
    std::string m_strRoot;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<ImageService> m_image;
    std::unique_ptr<UserStore> m_users;
    std::unique_ptr<Authenticator> m_auth;
    std::unique_ptr<OnvifService> m_onvif;
};

}  // namespace onvif_test

#endif
