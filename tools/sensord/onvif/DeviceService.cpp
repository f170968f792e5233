// The Device service: enough for a client to learn the camera's clock, what
// it is and where its other services are.
#include <cctype>
#include <ctime>

#include "OnvifOperations.h"

const char* const kDevicePath = "/onvif/device_service";
const char* const kMediaPath = "/onvif/media_service";
const char* const kImagingPath = "/onvif/imaging_service";

namespace {

bool hostCharacter(char p_c) {
    return std::isalnum(static_cast<unsigned char>(p_c)) || p_c == '.' || p_c == '-' ||
           p_c == ':' || p_c == '[' || p_c == ']' || p_c == '_';
}

std::string number(int p_nValue) {
    return std::to_string(p_nValue);
}

void writeVersion(XmlWriter& p_xml, const char* p_szElement, int p_nMajor, int p_nMinor) {
    p_xml.open(p_szElement).leaf("tt:Major", number(p_nMajor)).leaf("tt:Minor", number(p_nMinor));
    p_xml.close();
}

// The service versions are those of the descriptions the answers follow.
struct ServiceVersion {
    const char* szNamespace;
    int nMajor;
    int nMinor;
};
const ServiceVersion kVersions[] = {
    {ns::kDevice, 26, 6}, {ns::kMedia, 21, 6}, {ns::kImaging, 19, 6}};

HttpResponse getSystemDateAndTime(OnvifContext&, const OnvifCall&) {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    // The service keeps UTC: local time is the same, in the zone "UTC0".
    XmlWriter xml;
    xml.open("tds:SystemDateAndTime")
        .leaf("tt:DateTimeType", "Manual")
        .leaf("tt:DaylightSavings", "false")
        .open("tt:TimeZone")
        .leaf("tt:TZ", "UTC0")
        .close();
    for (const char* element : {"tt:UTCDateTime", "tt:LocalDateTime"}) {
        xml.open(element)
            .open("tt:Time")
            .leaf("tt:Hour", number(utc.tm_hour))
            .leaf("tt:Minute", number(utc.tm_min))
            .leaf("tt:Second", number(utc.tm_sec))
            .close()
            .open("tt:Date")
            .leaf("tt:Year", number(utc.tm_year + 1900))
            .leaf("tt:Month", number(utc.tm_mon + 1))
            .leaf("tt:Day", number(utc.tm_mday))
            .close()
            .close();
    }
    return respond("tds:GetSystemDateAndTimeResponse", xml.finish());
}

HttpResponse getServices(OnvifContext& p_context, const OnvifCall& p_call) {
    std::string text;
    bool include = false;
    if (argument(p_call.operation, ns::kDevice, "IncludeCapability", text) &&
        !parseXmlBool(text, include)) {
        return soapFaultResponse(senderFault("ter:InvalidArgVal", "",
                                             "IncludeCapability is true or false, not " + text));
    }
    XmlWriter xml;
    for (const OnvifServiceInfo& service : onvifServices()) {
        xml.open("tds:Service")
            .leaf("tds:Namespace", service.szNamespace)
            .leaf("tds:XAddr", serviceAddress(p_call.request, service.szPath));
        if (include) {
            std::string path = service.szPath;
            xml.open("tds:Capabilities")
                .raw(path == kDevicePath  ? deviceCapabilities(p_context)
                     : path == kMediaPath ? mediaCapabilities(p_context)
                                          : imagingCapabilities(p_context))
                .close();
        }
        for (const ServiceVersion& version : kVersions) {
            if (std::string(version.szNamespace) == service.szNamespace) {
                writeVersion(xml, "tds:Version", version.nMajor, version.nMinor);
            }
        }
        xml.close();
    }
    return respond("tds:GetServicesResponse", xml.finish());
}

HttpResponse getServiceCapabilities(OnvifContext& p_context, const OnvifCall&) {
    return respond("tds:GetServiceCapabilitiesResponse", deviceCapabilities(p_context));
}

HttpResponse getCapabilities(OnvifContext& p_context, const OnvifCall& p_call) {
    bool device = false;
    bool media = false;
    bool imaging = false;
    std::vector<const XmlElement*> categories = p_call.operation.all(ns::kDevice, "Category");
    for (const XmlElement* category : categories) {
        std::string name = category->trimmedText();
        if (name == "All") {
            device = media = imaging = true;
        } else if (name == "Device") {
            device = true;
        } else if (name == "Media") {
            media = true;
        } else if (name == "Imaging") {
            imaging = true;
        } else if (name == "Analytics" || name == "Events" || name == "PTZ") {
            return soapFaultResponse(receiverFault("ter:ActionNotSupported", "ter:NoSuchService",
                                                   "the camera has no " + name + " service"));
        } else {
            return soapFaultResponse(
                senderFault("ter:InvalidArgVal", "", "no capability category " + name));
        }
    }
    if (categories.empty()) {
        device = media = imaging = true;
    }
    XmlWriter xml;
    xml.open("tds:Capabilities");
    if (device) {
        xml.open("tt:Device").leaf("tt:XAddr", serviceAddress(p_call.request, kDevicePath)).close();
    }
    if (imaging) {
        xml.open("tt:Imaging")
            .leaf("tt:XAddr", serviceAddress(p_call.request, kImagingPath))
            .close();
    }
    if (media) {
        xml.open("tt:Media")
            .leaf("tt:XAddr", serviceAddress(p_call.request, kMediaPath))
            .open("tt:StreamingCapabilities")
            .leaf("tt:RTPMulticast", "false")
            .leaf("tt:RTP_TCP", "false")
            .leaf("tt:RTP_RTSP_TCP", xmlBool(!p_context.identity.strStreamUri.empty()))
            .close()
            .close();
    }
    return respond("tds:GetCapabilitiesResponse", xml.finish());
}

HttpResponse getDeviceInformation(OnvifContext& p_context, const OnvifCall&) {
    const OnvifIdentity& identity = p_context.identity;
    XmlWriter xml;
    xml.leaf("tds:Manufacturer", identity.strManufacturer)
        .leaf("tds:Model", identity.strModel)
        .leaf("tds:FirmwareVersion", identity.strFirmwareVersion)
        .leaf("tds:SerialNumber", identity.strSerialNumber)
        .leaf("tds:HardwareId", identity.strHardwareId);
    return respond("tds:GetDeviceInformationResponse", xml.finish());
}

// A scope is a URI: anything but the unreserved characters is escaped.
std::string uriSegment(const std::string& p_strText) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string escaped;
    for (char c : p_strText) {
        auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~') {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0xF];
        }
    }
    return escaped;
}

HttpResponse getScopes(OnvifContext& p_context, const OnvifCall&) {
    std::string model = uriSegment(p_context.identity.strModel);
    XmlWriter xml;
    for (const std::string& scope :
         {std::string("onvif://www.onvif.org/type/video_encoder"),
          "onvif://www.onvif.org/hardware/" + model, "onvif://www.onvif.org/name/" + model}) {
        xml.open("tds:Scopes").leaf("tt:ScopeDef", "Fixed").leaf("tt:ScopeItem", scope).close();
    }
    return respond("tds:GetScopesResponse", xml.finish());
}

}  // namespace

std::string deviceCapabilities(OnvifContext&) {
    XmlWriter xml;
    xml.open("tds:Capabilities")
        .empty("tds:Network", {{"IPFilter", "false"},
                               {"ZeroConfiguration", "false"},
                               {"IPVersion6", "false"},
                               {"DynDNS", "false"}})
        .empty("tds:Security", {{"UsernameToken", "true"}, {"HttpDigest", "true"}})
        .empty("tds:System", {{"DiscoveryResolve", "false"},
                              {"DiscoveryBye", "false"},
                              {"RemoteDiscovery", "false"},
                              {"SystemBackup", "false"},
                              {"SystemLogging", "false"}})
        .close();
    return xml.finish();
}

const std::vector<OnvifOperation>& deviceOperations() {
    static const std::vector<OnvifOperation> operations = {
        {"GetSystemDateAndTime", getSystemDateAndTime, false, true},
        {"GetServices", getServices, false, false},
        {"GetCapabilities", getCapabilities, false, false},
        {"GetServiceCapabilities", getServiceCapabilities, false, false},
        {"GetDeviceInformation", getDeviceInformation, false, false},
        {"GetScopes", getScopes, false, false},
    };
    return operations;
}

const std::vector<OnvifServiceInfo>& onvifServices() {
    static const std::vector<OnvifServiceInfo> services = {
        {kDevicePath, ns::kDevice, &deviceOperations()},
        {kMediaPath, ns::kMedia, &mediaOperations()},
        {kImagingPath, ns::kImaging, &imagingOperations()},
    };
    return services;
}

HttpResponse respond(const std::string& p_strElement, const std::string& p_strContent) {
    return soapResponse("<" + p_strElement + ">" + p_strContent + "</" + p_strElement + ">");
}

std::string serviceAddress(const HttpRequest& p_request, const char* p_szPath) {
    // The Host header names the camera as the client reached it (through a
    // NAT or a name); one that is not a plain host and port is not echoed.
    std::string host = p_request.header("host");
    bool plain = !host.empty() && host.size() <= 255;
    for (char c : host) {
        plain = plain && hostCharacter(c);
    }
    return std::string(p_request.bTls ? "https://" : "http://") + (plain ? host : "localhost") +
           p_szPath;
}

bool argument(const XmlElement& p_operation, const char* p_szNamespace, const char* p_szName,
              std::string& p_strValue) {
    const XmlElement* element = p_operation.child(p_szNamespace, p_szName);
    if (element == nullptr) {
        return false;
    }
    p_strValue = element->trimmedText();
    return true;
}
