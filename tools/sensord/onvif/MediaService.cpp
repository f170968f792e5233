// The Media service: the one video source and its one fixed profile, so a
// client finds the token the Imaging service wants, and the stream address
// the camera was given.
#include "../ImageService.h"
#include "Modules.h"
#include "OnvifOperations.h"

const char* const kVideoSourceToken = "VideoSource_1";
const char* const kProfileToken = "Profile_1";

namespace {

const char* const kVideoSourceConfigurationToken = "VideoSourceConfiguration_1";
const char* const kVideoEncoderConfigurationToken = "VideoEncoderConfiguration_1";
const int kFrameRate = 25;

struct PictureSize {
    int nWidth = 1920;
    int nHeight = 1080;
};

// The picture size the host gives the module's init.
PictureSize pictureSize(OnvifContext& p_context) {
    PictureSize size;
    int moduleId = p_context.image.status().nModuleId;
    for (const ModuleInfo& module : knownModules()) {
        if (module.nModuleId == moduleId) {
            size.nWidth = module.nVideoWidth;
            size.nHeight = module.nVideoHeight;
        }
    }
    return size;
}

std::string number(int p_nValue) {
    return std::to_string(p_nValue);
}

HttpResponse noProfile(const std::string& p_strToken) {
    return soapFaultResponse(senderFault("ter:InvalidArgVal", "ter:NoProfile",
                                         "no profile " + p_strToken +
                                             "; the camera's one "
                                             "profile is " +
                                             kProfileToken));
}

// The profile: its video source, and the encoder the stream comes from (a
// client takes a profile without one for an unusable one).
void writeProfile(OnvifContext& p_context, XmlWriter& p_xml, const char* p_szElement) {
    PictureSize size = pictureSize(p_context);
    p_xml.open(p_szElement, {{"token", kProfileToken}, {"fixed", "true"}})
        .leaf("tt:Name", "Profile 1")
        .open("tt:VideoSourceConfiguration", {{"token", kVideoSourceConfigurationToken}})
        .leaf("tt:Name", "Video source")
        .leaf("tt:UseCount", "1")
        .leaf("tt:SourceToken", kVideoSourceToken)
        .empty("tt:Bounds", {{"x", "0"},
                             {"y", "0"},
                             {"width", number(size.nWidth)},
                             {"height", number(size.nHeight)}})
        .close()
        .open("tt:VideoEncoderConfiguration", {{"token", kVideoEncoderConfigurationToken}})
        .leaf("tt:Name", "Video encoder")
        .leaf("tt:UseCount", "1")
        .leaf("tt:Encoding", "H264")
        .open("tt:Resolution")
        .leaf("tt:Width", number(size.nWidth))
        .leaf("tt:Height", number(size.nHeight))
        .close()
        .leaf("tt:Quality", "5")
        .open("tt:RateControl")
        .leaf("tt:FrameRateLimit", number(kFrameRate))
        .leaf("tt:EncodingInterval", "1")
        .leaf("tt:BitrateLimit", "4096")
        .close()
        .open("tt:H264")
        .leaf("tt:GovLength", number(2 * kFrameRate))
        .leaf("tt:H264Profile", "Main")
        .close()
        .open("tt:Multicast")
        .open("tt:Address")
        .leaf("tt:Type", "IPv4")
        .leaf("tt:IPv4Address", "0.0.0.0")
        .close()
        .leaf("tt:Port", "0")
        .leaf("tt:TTL", "1")
        .leaf("tt:AutoStart", "false")
        .close()
        .leaf("tt:SessionTimeout", "PT60S")
        .close()
        .close();
}

HttpResponse getServiceCapabilities(OnvifContext& p_context, const OnvifCall&) {
    return respond("trt:GetServiceCapabilitiesResponse", mediaCapabilities(p_context));
}

HttpResponse getVideoSources(OnvifContext& p_context, const OnvifCall&) {
    PictureSize size = pictureSize(p_context);
    XmlWriter xml;
    xml.open("trt:VideoSources", {{"token", kVideoSourceToken}})
        .leaf("tt:Framerate", number(kFrameRate))
        .open("tt:Resolution")
        .leaf("tt:Width", number(size.nWidth))
        .leaf("tt:Height", number(size.nHeight))
        .close()
        .close();
    return respond("trt:GetVideoSourcesResponse", xml.finish());
}

HttpResponse getProfiles(OnvifContext& p_context, const OnvifCall&) {
    XmlWriter xml;
    writeProfile(p_context, xml, "trt:Profiles");
    return respond("trt:GetProfilesResponse", xml.finish());
}

HttpResponse getProfile(OnvifContext& p_context, const OnvifCall& p_call) {
    std::string token;
    argument(p_call.operation, ns::kMedia, "ProfileToken", token);
    if (token != kProfileToken) {
        return noProfile(token);
    }
    XmlWriter xml;
    writeProfile(p_context, xml, "trt:Profile");
    return respond("trt:GetProfileResponse", xml.finish());
}

HttpResponse getStreamUri(OnvifContext& p_context, const OnvifCall& p_call) {
    std::string token;
    argument(p_call.operation, ns::kMedia, "ProfileToken", token);
    if (token != kProfileToken) {
        return noProfile(token);
    }
    if (const XmlElement* setup = p_call.operation.child(ns::kMedia, "StreamSetup")) {
        std::string stream;
        std::string protocol;
        argument(*setup, ns::kSchema, "Stream", stream);
        if (const XmlElement* transport = setup->child(ns::kSchema, "Transport")) {
            argument(*transport, ns::kSchema, "Protocol", protocol);
        }
        bool streamKnown = stream.empty() || stream == "RTP-Unicast" || stream == "RTP-Multicast";
        bool protocolKnown = protocol.empty() || protocol == "UDP" || protocol == "TCP" ||
                             protocol == "RTSP" || protocol == "HTTP";
        if (!streamKnown || !protocolKnown) {
            return soapFaultResponse(
                senderFault("ter:InvalidArgVal", "ter:InvalidStreamSetup",
                            "StreamSetup names stream " + stream + " over " + protocol +
                                "; streams are RTP-Unicast or RTP-Multicast over UDP, TCP, "
                                "RTSP or HTTP"));
        }
    }
    const std::string& uri = p_context.identity.strStreamUri;
    if (uri.empty()) {
        // The profile lacks what a stream needs: the camera was given no
        // address to hand out.
        return soapFaultResponse(
            receiverFault("ter:Action", "ter:IncompleteConfiguration",
                          "no stream URI is configured for this camera (sensord --stream-uri)"));
    }
    XmlWriter xml;
    xml.open("trt:MediaUri")
        .leaf("tt:Uri", uri)
        .leaf("tt:InvalidAfterConnect", "false")
        .leaf("tt:InvalidAfterReboot", "false")
        .leaf("tt:Timeout", "PT0S")
        .close();
    return respond("trt:GetStreamUriResponse", xml.finish());
}

}  // namespace

std::string mediaCapabilities(OnvifContext& p_context) {
    XmlWriter xml;
    xml.open("trt:Capabilities", {{"SnapshotUri", "false"},
                                  {"Rotation", "false"},
                                  {"VideoSourceMode", "false"},
                                  {"OSD", "false"}})
        .empty("trt:ProfileCapabilities", {{"MaximumNumberOfProfiles", "1"}})
        .empty("trt:StreamingCapabilities",
               {{"RTPMulticast", "false"},
                {"RTP_TCP", "false"},
                {"RTP_RTSP_TCP", xmlBool(!p_context.identity.strStreamUri.empty())}})
        .close();
    return xml.finish();
}

const std::vector<OnvifOperation>& mediaOperations() {
    static const std::vector<OnvifOperation> operations = {
        {"GetServiceCapabilities", getServiceCapabilities, false, false},
        {"GetVideoSources", getVideoSources, false, false},
        {"GetProfiles", getProfiles, false, false},
        {"GetProfile", getProfile, false, false},
        {"GetStreamUri", getStreamUri, false, false},
    };
    return operations;
}
