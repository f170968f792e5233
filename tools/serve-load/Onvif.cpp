#include "Onvif.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <tinyxml.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace onvif {

const char* const kImagingPath = "/onvif/imaging_service";
const char* const kDevicePath = "/onvif/device_service";

namespace {

const char* const kPasswordDigest =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-username-token-profile-1.0"
    "#PasswordDigest";
const char* const kBase64Binary =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-soap-message-security-1.0"
    "#Base64Binary";

std::string base64(const std::string& p_strBytes) {
    std::string text(4 * ((p_strBytes.size() + 2) / 3) + 1, '\0');
    int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&text[0]),
                                 reinterpret_cast<const unsigned char*>(p_strBytes.data()),
                                 static_cast<int>(p_strBytes.size()));
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string sha1(const std::string& p_strBytes) {
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(p_strBytes.data()), p_strBytes.size(), digest);
    return std::string(reinterpret_cast<const char*>(digest), sizeof(digest));
}

// xs:dateTime in UTC with milliseconds: many tokens are made each second.
std::string createdAt(std::chrono::system_clock::time_point p_time) {
    auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(p_time.time_since_epoch()).count();
    std::time_t seconds = static_cast<std::time_t>(millis / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(millis % 1000));
    return text;
}

std::string localName(const char* p_szName) {
    std::string name = p_szName != nullptr ? p_szName : "";
    std::string::size_type colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

const TiXmlElement* childNamed(const TiXmlElement* p_pParent, const char* p_szLocal) {
    for (const TiXmlElement* child = p_pParent != nullptr ? p_pParent->FirstChildElement()
                                                          : nullptr;
         child != nullptr; child = child->NextSiblingElement()) {
        if (localName(child->Value()) == p_szLocal) {
            return child;
        }
    }
    return nullptr;
}

std::string textOf(const TiXmlElement* p_pElement) {
    const char* text = p_pElement != nullptr ? p_pElement->GetText() : nullptr;
    return text != nullptr ? text : "";
}

// "ter:InvalidArgVal" whatever prefix the service bound to that namespace.
std::string subcodeName(const std::string& p_strValue) {
    return "ter:" + localName(p_strValue.c_str());
}

}  // namespace

const char* settingForRole(const std::string& p_strRole) {
    if (p_strRole == "brightness") {
        return "Brightness";
    }
    if (p_strRole == "saturation") {
        return "ColorSaturation";
    }
    if (p_strRole == "contrast") {
        return "Contrast";
    }
    if (p_strRole == "sharpness") {
        return "Sharpness";
    }
    return nullptr;
}

std::string securityHeader(const Account& p_account, int p_nAgeSeconds) {
    unsigned char nonce[16];
    RAND_bytes(nonce, sizeof(nonce));
    std::string raw(reinterpret_cast<const char*>(nonce), sizeof(nonce));
    std::string created =
        createdAt(std::chrono::system_clock::now() - std::chrono::seconds(p_nAgeSeconds));
    std::string digest = base64(sha1(raw + created + p_account.strPassword));
    return "<wsse:Security s:mustUnderstand=\"true\" "
           "xmlns:wsse=\"http://docs.oasis-open.org/wss/2004/01/"
           "oasis-200401-wss-wssecurity-secext-1.0.xsd\" "
           "xmlns:wsu=\"http://docs.oasis-open.org/wss/2004/01/"
           "oasis-200401-wss-wssecurity-utility-1.0.xsd\">"
           "<wsse:UsernameToken><wsse:Username>" +
           p_account.strUser + "</wsse:Username><wsse:Password Type=\"" + kPasswordDigest + "\">" +
           digest + "</wsse:Password><wsse:Nonce EncodingType=\"" + kBase64Binary + "\">" +
           base64(raw) + "</wsse:Nonce><wsu:Created>" + created +
           "</wsu:Created></wsse:UsernameToken></wsse:Security>";
}

std::string envelope(const std::string& p_strHeader, const std::string& p_strBody,
                     const std::string& p_strPreamble) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + p_strPreamble +
           "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
           "xmlns:timg=\"http://www.onvif.org/ver20/imaging/wsdl\" "
           "xmlns:tt=\"http://www.onvif.org/ver10/schema\"><s:Header>" +
           p_strHeader + "</s:Header><s:Body>" + p_strBody + "</s:Body></s:Envelope>";
}

std::string getImagingSettings() {
    return "<timg:GetImagingSettings><timg:VideoSourceToken>VideoSource_1"
           "</timg:VideoSourceToken></timg:GetImagingSettings>";
}

std::string setImagingSettings(const std::vector<std::pair<std::string, int> >& p_values) {
    // The schema's order of the four plain settings.
    static const char* const kOrder[] = {"Brightness", "ColorSaturation", "Contrast", "Sharpness"};
    std::string settings;
    for (const char* name : kOrder) {
        for (const auto& value : p_values) {
            if (value.first == name) {
                settings += std::string("<tt:") + name + ">" + std::to_string(value.second) +
                            "</tt:" + name + ">";
            }
        }
    }
    return "<timg:SetImagingSettings><timg:VideoSourceToken>VideoSource_1"
           "</timg:VideoSourceToken><timg:ImagingSettings>" +
           settings +
           "</timg:ImagingSettings><timg:ForcePersistence>true</timg:ForcePersistence>"
           "</timg:SetImagingSettings>";
}

Answer read(const std::string& p_strBody) {
    Answer answer;
    TiXmlDocument document;
    document.Parse(p_strBody.c_str());
    const TiXmlElement* root = document.RootElement();
    if (document.Error() || root == nullptr || localName(root->Value()) != "Envelope") {
        return answer;
    }
    const TiXmlElement* body = childNamed(root, "Body");
    const TiXmlElement* operation = body != nullptr ? body->FirstChildElement() : nullptr;
    if (operation == nullptr) {
        return answer;
    }
    answer.bParsed = true;
    answer.strOperation = localName(operation->Value());
    if (answer.strOperation == "Fault") {
        answer.bFault = true;
        const TiXmlElement* code = childNamed(operation, "Code");
        answer.strCode = localName(textOf(childNamed(code, "Value")).c_str());
        const TiXmlElement* subcode = childNamed(code, "Subcode");
        if (subcode != nullptr) {
            answer.strSubcode = subcodeName(textOf(childNamed(subcode, "Value")));
        }
        answer.strReason = textOf(childNamed(childNamed(operation, "Reason"), "Text"));
        return answer;
    }
    const TiXmlElement* settings = childNamed(operation, "ImagingSettings");
    for (const TiXmlElement* child = settings != nullptr ? settings->FirstChildElement() : nullptr;
         child != nullptr; child = child->NextSiblingElement()) {
        std::string text = textOf(child);
        char* end = nullptr;
        double value = std::strtod(text.c_str(), &end);
        if (!text.empty() && end != nullptr && *end == '\0') {
            answer.settings[localName(child->Value())] = value;
        }
    }
    return answer;
}

std::string Answer::describe() const {
    if (!bParsed) {
        return "not a SOAP envelope";
    }
    if (!bFault) {
        return strOperation;
    }
    return strCode + (strSubcode.empty() ? "" : "/" + strSubcode);
}

}  // namespace onvif
