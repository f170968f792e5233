// The ONVIF service end to end, without sockets: authentication (token,
// HTTP Digest, none), the Device and Media operations a client connects
// with, and the faults for requests it cannot serve.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <regex>

#include "OnvifFixture.h"

using namespace onvif_test;

namespace {

const std::string kDeviceNs = "xmlns=\"http://www.onvif.org/ver10/device/wsdl\"";
const std::string kMediaNs = "xmlns=\"http://www.onvif.org/ver10/media/wsdl\"";
const std::string kBrightness =
    "<timg:SetImagingSettings><timg:VideoSourceToken>VideoSource_1</timg:VideoSourceToken>"
    "<timg:ImagingSettings><tt:Brightness>61</tt:Brightness></timg:ImagingSettings>"
    "</timg:SetImagingSettings>";

std::string hexDigest(const EVP_MD* p_pType, const std::string& p_strText) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(p_strText.data(), p_strText.size(), digest, &length, p_pType, nullptr);
    static const char* const kHex = "0123456789abcdef";
    std::string hex;
    for (unsigned int n = 0; n < length; ++n) {
        hex += kHex[digest[n] >> 4];
        hex += kHex[digest[n] & 0xF];
    }
    return hex;
}

// The Authorization header a browser builds from the service's SHA-256
// challenge.
std::string digestAuthorization(const HttpResponse& p_challenge, const std::string& p_strUser,
                                const std::string& p_strPassword, const std::string& p_strUri) {
    std::string challenge;
    for (const auto& header : p_challenge.headers) {
        if (header.first == "WWW-Authenticate" &&
            header.second.find("SHA-256") != std::string::npos) {
            challenge = header.second;
        }
    }
    auto field = [&](const char* p_szName) {
        std::smatch match;
        std::regex pattern(std::string(p_szName) + "=\"([^\"]*)\"");
        return std::regex_search(challenge, match, pattern) ? match[1].str() : std::string();
    };
    const EVP_MD* sha256 = EVP_sha256();
    std::string realm = field("realm");
    std::string nonce = field("nonce");
    std::string ha1 = hexDigest(sha256, p_strUser + ":" + realm + ":" + p_strPassword);
    std::string ha2 = hexDigest(sha256, "POST:" + p_strUri);
    std::string response = hexDigest(sha256, ha1 + ":" + nonce + ":00000001:0a4f113b:auth:" + ha2);
    return "Digest username=\"" + p_strUser + "\", realm=\"" + realm + "\", nonce=\"" + nonce +
           "\", uri=\"" + p_strUri +
           "\", algorithm=SHA-256, qop=auth, nc=00000001, "
           "cnonce=\"0a4f113b\", response=\"" +
           response + "\", opaque=\"" + field("opaque") + "\"";
}

class Onvif : public testing::Test {
protected:
    OnvifCamera m_camera{"hi351x"};
};

TEST_F(Onvif, TheClockIsAnsweredToAnyoneInRealUtc) {
    Reply reply = m_camera.call(kDevice, "<GetSystemDateAndTime " + kDeviceNs + "/>", "");
    ASSERT_EQ(200, reply.http.nStatus) << reply.http.strBody;
    EXPECT_EQ("application/soap+xml; charset=utf-8", reply.http.strContentType);
    ASSERT_TRUE(reply.bDecoded);
    EXPECT_TRUE(reply.body().is(ns::kDevice, "GetSystemDateAndTimeResponse"));
    EXPECT_EQ("Manual", reply.text({"tds:SystemDateAndTime", "DateTimeType"}));
    EXPECT_EQ("false", reply.text({"tds:SystemDateAndTime", "DaylightSavings"}));
    std::tm utc{};
    utc.tm_year =
        std::stoi(reply.text({"tds:SystemDateAndTime", "UTCDateTime", "Date", "Year"})) - 1900;
    utc.tm_mon =
        std::stoi(reply.text({"tds:SystemDateAndTime", "UTCDateTime", "Date", "Month"})) - 1;
    utc.tm_mday = std::stoi(reply.text({"tds:SystemDateAndTime", "UTCDateTime", "Date", "Day"}));
    utc.tm_hour = std::stoi(reply.text({"tds:SystemDateAndTime", "UTCDateTime", "Time", "Hour"}));
    utc.tm_min = std::stoi(reply.text({"tds:SystemDateAndTime", "UTCDateTime", "Time", "Minute"}));
    utc.tm_sec = std::stoi(reply.text({"tds:SystemDateAndTime", "UTCDateTime", "Time", "Second"}));
    EXPECT_LT(std::abs(static_cast<long>(timegm(&utc) - std::time(nullptr))), 300);
    // A token too old to pass does not stand in the way of learning the time.
    reply = m_camera.raw(kDevice, envelope("<GetSystemDateAndTime " + kDeviceNs + "/>",
                                           securityHeader("admin", "admin-pass", -3600)));
    EXPECT_EQ(200, reply.http.nStatus);
}

TEST_F(Onvif, EverythingElseWantsCredentials) {
    for (const auto& request :
         {std::make_pair(kDevice, "<GetDeviceInformation " + kDeviceNs + "/>"),
          std::make_pair(kMedia, "<GetProfiles " + kMediaNs + "/>"),
          std::make_pair(kImaging, kBrightness),
          std::make_pair(kDevice, "<NoSuchOperation " + kDeviceNs + "/>")}) {
        Reply reply = m_camera.call(request.first, request.second, "");
        EXPECT_EQ(401, reply.http.nStatus) << request.second;
        EXPECT_EQ("env:Sender/ter:NotAuthorized", reply.faultCode());
        int challenges = 0;
        for (const auto& header : reply.http.headers) {
            challenges += header.first == "WWW-Authenticate";
        }
        EXPECT_EQ(2, challenges) << "SHA-256 and MD5";
    }
}

TEST_F(Onvif, TokensAreCheckedAndPasswordTextIsRefused) {
    const std::string information = "<GetDeviceInformation " + kDeviceNs + "/>";
    EXPECT_EQ(200, m_camera.call(kDevice, information, "viewer").http.nStatus);

    Reply wrong = m_camera.raw(kDevice, envelope(information, securityHeader("admin", "nope")));
    EXPECT_EQ(400, wrong.http.nStatus);
    EXPECT_EQ("env:Sender/ter:NotAuthorized", wrong.faultCode());
    EXPECT_NE(std::string::npos, wrong.reason().find("wrong password")) << wrong.reason();

    // The same token again is a replay.
    std::string header = securityHeader("admin", "admin-pass");
    EXPECT_EQ(200, m_camera.raw(kDevice, envelope(information, header)).http.nStatus);
    Reply replay = m_camera.raw(kDevice, envelope(information, header));
    EXPECT_EQ(400, replay.http.nStatus);
    EXPECT_NE(std::string::npos, replay.reason().find("nonce")) << replay.reason();

    Reply late =
        m_camera.raw(kDevice, envelope(information, securityHeader("admin", "admin-pass", -900)));
    EXPECT_EQ(400, late.http.nStatus);

    std::string text = header;
    text = std::regex_replace(text, std::regex("#PasswordDigest"), "#PasswordText");
    text = std::regex_replace(text, std::regex("<wsse:Password ([^>]*)>[^<]*<"),
                              "<wsse:Password $1>admin-pass<");
    Reply plain = m_camera.raw(kDevice, envelope(information, text));
    EXPECT_EQ(400, plain.http.nStatus);
    EXPECT_EQ("env:Sender/ter:NotAuthorized", plain.faultCode());
    EXPECT_NE(std::string::npos, plain.reason().find("PasswordText")) << plain.reason();
}

TEST_F(Onvif, RepeatedFailuresFromOneAddressAreThrottled) {
    const std::string information = "<GetDeviceInformation " + kDeviceNs + "/>";
    int status = 0;
    for (int attempt = 0; attempt < 20 && status != 429; ++attempt) {
        status = m_camera
                     .raw(kDevice, envelope(information, securityHeader("admin", "guess")),
                          "198.51.100.7")
                     .http.nStatus;
    }
    ASSERT_EQ(429, status);
    Reply throttled = m_camera.call(kDevice, information);
    // Another address is not held up.
    EXPECT_EQ(200, throttled.http.nStatus);
    Reply refused = m_camera.raw(
        kDevice, envelope(information, securityHeader("admin", "admin-pass")), "198.51.100.7");
    EXPECT_EQ(429, refused.http.nStatus);
    EXPECT_EQ("env:Sender/ter:NotAuthorized", refused.faultCode());
    bool retryAfter = false;
    for (const auto& header : refused.http.headers) {
        retryAfter = retryAfter || (header.first == "Retry-After" && std::stoi(header.second) > 0);
    }
    EXPECT_TRUE(retryAfter);
}

TEST_F(Onvif, HttpDigestWorksWhereNoTokenIsSent) {
    const std::string body = envelope("<GetDeviceInformation " + kDeviceNs + "/>");
    HttpRequest request;
    request.strMethod = "POST";
    request.strPath = kDevice;
    request.strBody = body;
    request.strClientAddress = "192.0.2.20";
    Reply challenge = m_camera.send(request);
    ASSERT_EQ(401, challenge.http.nStatus);
    request.headers["authorization"] =
        digestAuthorization(challenge.http, "operator", "operator-pass", kDevice);
    Reply answered = m_camera.send(request);
    EXPECT_EQ(200, answered.http.nStatus) << answered.http.strBody;
    EXPECT_EQ("1.2.3", answered.text({"tds:FirmwareVersion"}));

    request.headers["authorization"] =
        digestAuthorization(challenge.http, "operator", "wrong", kDevice);
    Reply refused = m_camera.send(request);
    EXPECT_EQ(401, refused.http.nStatus);
    EXPECT_EQ("env:Sender/ter:NotAuthorized", refused.faultCode());
}

TEST_F(Onvif, AUserReadsButOnlyAnOperatorWrites) {
    Reply viewer = m_camera.call(kImaging, kBrightness, "viewer");
    EXPECT_EQ(400, viewer.http.nStatus);
    EXPECT_EQ("env:Sender/ter:NotAuthorized", viewer.faultCode());
    EXPECT_NE(std::string::npos, viewer.reason().find("operator level needed")) << viewer.reason();
    const ParameterDescriptor* brightness = m_camera.image().findByRole(ParameterRole::BRIGHTNESS);
    int value = 0;
    ASSERT_TRUE(m_camera.image().get(brightness->nId, value));
    EXPECT_NE(61, value);
    EXPECT_EQ(200, m_camera.call(kImaging, kBrightness, "operator").http.nStatus);
    ASSERT_TRUE(m_camera.image().get(brightness->nId, value));
    EXPECT_EQ(61, value);
}

TEST_F(Onvif, ServicesAreAddressedAsTheClientReachedTheCamera) {
    Reply reply = m_camera.call(kDevice, "<GetServices " + kDeviceNs +
                                             "><IncludeCapability>true</IncludeCapability>"
                                             "</GetServices>");
    ASSERT_EQ(200, reply.http.nStatus) << reply.http.strBody;
    std::vector<const XmlElement*> services = reply.body().all(ns::kDevice, "Service");
    ASSERT_EQ(3u, services.size());
    const char* const expected[][2] = {
        {ns::kDevice, "http://camera.local:8080/onvif/device_service"},
        {ns::kMedia, "http://camera.local:8080/onvif/media_service"},
        {ns::kImaging, "http://camera.local:8080/onvif/imaging_service"}};
    for (size_t n = 0; n < services.size(); ++n) {
        EXPECT_EQ(expected[n][0], services[n]->child(ns::kDevice, "Namespace")->trimmedText());
        EXPECT_EQ(expected[n][1], services[n]->child(ns::kDevice, "XAddr")->trimmedText());
        const XmlElement* capabilities = services[n]->child(ns::kDevice, "Capabilities");
        ASSERT_NE(nullptr, capabilities);
        ASSERT_EQ(1u, capabilities->children.size());
        EXPECT_TRUE(capabilities->children[0].is(expected[n][0], "Capabilities"));
        EXPECT_NE(nullptr, services[n]->child(ns::kDevice, "Version"));
    }
    EXPECT_EQ(
        "true",
        *services[2]->child(ns::kDevice, "Capabilities")->children[0].attribute("", "Presets"));

    HttpRequest request;
    request.strMethod = "POST";
    request.strPath = kDevice;
    request.bTls = true;
    request.headers["host"] = "10.0.0.5:8443\"><x";  // not a host: not echoed
    request.strClientAddress = "192.0.2.30";
    request.strBody = envelope("<GetServices " + kDeviceNs +
                                   "><IncludeCapability>false"
                                   "</IncludeCapability></GetServices>",
                               securityHeader("viewer", "viewer-pass"));
    reply = m_camera.send(request);
    services = reply.body().all(ns::kDevice, "Service");
    ASSERT_EQ(3u, services.size());
    EXPECT_EQ("https://localhost/onvif/device_service",
              services[0]->child(ns::kDevice, "XAddr")->trimmedText());
    EXPECT_EQ(nullptr, services[0]->child(ns::kDevice, "Capabilities"));
}

TEST_F(Onvif, CapabilitiesByCategory) {
    Reply all = m_camera.call(kDevice, "<GetCapabilities " + kDeviceNs + "/>");
    EXPECT_EQ("http://camera.local:8080/onvif/imaging_service",
              all.text({"tds:Capabilities", "Imaging", "XAddr"}));
    EXPECT_EQ("http://camera.local:8080/onvif/media_service",
              all.text({"tds:Capabilities", "Media", "XAddr"}));
    EXPECT_EQ("true",
              all.text({"tds:Capabilities", "Media", "StreamingCapabilities", "RTP_RTSP_TCP"}));
    Reply imaging = m_camera.call(kDevice, "<GetCapabilities " + kDeviceNs +
                                               "><Category>Imaging</Category></GetCapabilities>");
    EXPECT_EQ(nullptr, imaging.find({"tds:Capabilities", "Device"}));
    EXPECT_NE(nullptr, imaging.find({"tds:Capabilities", "Imaging"}));
    Reply ptz = m_camera.call(
        kDevice, "<GetCapabilities " + kDeviceNs + "><Category>PTZ</Category></GetCapabilities>");
    EXPECT_EQ(500, ptz.http.nStatus);
    EXPECT_EQ("env:Receiver/ter:ActionNotSupported/ter:NoSuchService", ptz.faultCode());
}

TEST_F(Onvif, TheDeviceTellsWhatItIs) {
    Reply information = m_camera.call(kDevice, "<GetDeviceInformation " + kDeviceNs + "/>");
    EXPECT_EQ("sensorcontrol", information.text({"tds:Manufacturer"}));
    EXPECT_EQ("hi351x", information.text({"tds:Model"}));
    EXPECT_EQ("SN-0001", information.text({"tds:SerialNumber"}));
    EXPECT_EQ(std::to_string(m_camera.host().moduleId()), information.text({"tds:HardwareId"}));
    Reply scopes = m_camera.call(kDevice, "<GetScopes " + kDeviceNs + "/>");
    std::vector<std::string> items;
    for (const XmlElement* scope : scopes.body().all(ns::kDevice, "Scopes")) {
        EXPECT_EQ("Fixed", scope->child(ns::kSchema, "ScopeDef")->trimmedText());
        items.push_back(scope->child(ns::kSchema, "ScopeItem")->trimmedText());
    }
    EXPECT_EQ((std::vector<std::string>{"onvif://www.onvif.org/type/video_encoder",
                                        "onvif://www.onvif.org/hardware/hi351x",
                                        "onvif://www.onvif.org/name/hi351x"}),
              items);
}

TEST_F(Onvif, MediaOffersOneSourceAndOneFixedProfile) {
    Reply sources = m_camera.call(kMedia, "<GetVideoSources " + kMediaNs + "/>");
    const XmlElement* source = sources.find({"trt:VideoSources"});
    ASSERT_NE(nullptr, source) << sources.http.strBody;
    EXPECT_EQ("VideoSource_1", *source->attribute("", "token"));
    EXPECT_EQ("25", sources.text({"trt:VideoSources", "Framerate"}));
    EXPECT_EQ("1920", sources.text({"trt:VideoSources", "Resolution", "Width"}));
    EXPECT_EQ("1080", sources.text({"trt:VideoSources", "Resolution", "Height"}));

    Reply profiles = m_camera.call(kMedia, "<GetProfiles " + kMediaNs + "/>", "viewer");
    const XmlElement* profile = profiles.find({"trt:Profiles"});
    ASSERT_NE(nullptr, profile);
    EXPECT_EQ("Profile_1", *profile->attribute("", "token"));
    EXPECT_EQ("true", *profile->attribute("", "fixed"));
    EXPECT_EQ("VideoSource_1",
              profiles.text({"trt:Profiles", "VideoSourceConfiguration", "SourceToken"}));
    EXPECT_EQ("1920", *profiles.find({"trt:Profiles", "VideoSourceConfiguration", "Bounds"})
                           ->attribute("", "width"));
    EXPECT_NE(nullptr, profiles.find({"trt:Profiles", "VideoEncoderConfiguration"}));

    Reply one = m_camera.call(
        kMedia, "<GetProfile " + kMediaNs + "><ProfileToken>Profile_1</ProfileToken></GetProfile>");
    EXPECT_EQ("Profile_1", *one.find({"trt:Profile"})->attribute("", "token"));
    Reply none = m_camera.call(
        kMedia, "<GetProfile " + kMediaNs + "><ProfileToken>Other</ProfileToken></GetProfile>");
    EXPECT_EQ("env:Sender/ter:InvalidArgVal/ter:NoProfile", none.faultCode());

    const std::string streamUri =
        "<GetStreamUri " + kMediaNs +
        "><StreamSetup><Stream xmlns=\"http://www.onvif.org/ver10/"
        "schema\">RTP-Unicast</Stream><Transport xmlns=\"http://www.onvif.org/ver10/schema\">"
        "<Protocol>RTSP</Protocol></Transport></StreamSetup><ProfileToken>Profile_1"
        "</ProfileToken></GetStreamUri>";
    Reply uri = m_camera.call(kMedia, streamUri);
    EXPECT_EQ("rtsp://camera.local/stream", uri.text({"trt:MediaUri", "Uri"}));
    EXPECT_EQ("PT0S", uri.text({"trt:MediaUri", "Timeout"}));
}

TEST(OnvifMedia, NoStreamUriIsAFaultOfTheCameraSaySo) {
    OnvifCamera camera("hi351x", "");
    Reply uri = camera.call(kMedia, "<GetStreamUri " + kMediaNs +
                                        "><ProfileToken>Profile_1</ProfileToken></GetStreamUri>");
    EXPECT_EQ(500, uri.http.nStatus);
    EXPECT_EQ("env:Receiver/ter:Action/ter:IncompleteConfiguration", uri.faultCode());
    EXPECT_NE(std::string::npos, uri.reason().find("no stream URI")) << uri.reason();
}

TEST_F(Onvif, RequestsItCannotServeAreFaultsWithTheirStatus) {
    Reply unknown = m_camera.call(kDevice, "<Reboot " + kDeviceNs + "/>");
    EXPECT_EQ(500, unknown.http.nStatus);
    EXPECT_EQ("env:Receiver/ter:ActionNotSupported", unknown.faultCode());
    Reply elsewhere = m_camera.call(kDevice, kBrightness);
    EXPECT_EQ(500, elsewhere.http.nStatus);
    EXPECT_NE(std::string::npos, elsewhere.reason().find("/onvif/imaging_service"));

    Reply truncated =
        m_camera.raw(kDevice, envelope("<GetScopes " + kDeviceNs + "/>").substr(0, 90));
    EXPECT_EQ(400, truncated.http.nStatus);
    EXPECT_EQ("env:Sender/ter:WellFormed", truncated.faultCode());
    Reply doctype =
        m_camera.raw(kDevice, "<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>" +
                                  envelope("<GetScopes " + kDeviceNs + ">&e;</GetScopes>"));
    EXPECT_EQ(400, doctype.http.nStatus);
    EXPECT_EQ("env:Sender/ter:WellFormed", doctype.faultCode());
    EXPECT_EQ(std::string::npos, doctype.http.strBody.find("root:"));
    Reply soap11 = m_camera.raw(kDevice,
                                "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/"
                                "envelope/\"><e:Body><GetScopes " +
                                    kDeviceNs + "/></e:Body></e:Envelope>");
    EXPECT_EQ(400, soap11.http.nStatus);
    EXPECT_EQ("env:VersionMismatch", soap11.faultCode());
    Reply empty = m_camera.raw(kDevice, envelope(""));
    EXPECT_EQ(400, empty.http.nStatus);
    Reply mustUnderstand = m_camera.raw(
        kDevice, envelope("<GetScopes " + kDeviceNs + "/>",
                          "<v:Lock s:mustUnderstand=\"true\" xmlns:v=\"urn:vendor\"/>"));
    EXPECT_EQ("env:MustUnderstand", mustUnderstand.faultCode());

    HttpRequest get;
    get.strMethod = "GET";
    get.strPath = kDevice;
    HttpResponse refused = m_camera.onvif().handle(get);
    EXPECT_EQ(405, refused.nStatus);
    EXPECT_TRUE(OnvifService::serves("/onvif/imaging_service"));
    EXPECT_FALSE(OnvifService::serves("/onvif/ptz_service"));
}

}  // namespace
