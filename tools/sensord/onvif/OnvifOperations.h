#ifndef SENSORD_ONVIF_ONVIFOPERATIONS_H
#define SENSORD_ONVIF_ONVIFOPERATIONS_H

#include <string>
#include <vector>

#include "ImagingMap.h"
#include "OnvifService.h"
#include "Soap.h"

#include "../ImageService.h"

// What the three services' operations share, inside the ONVIF service.
struct OnvifContext {
    ImageService& image;
    const OnvifIdentity& identity;
    const ImagingMap& map;
};

// One authenticated call: the request as it came and its decoded operation.
struct OnvifCall {
    const HttpRequest& request;
    const XmlElement& operation;
    std::string strUser;  // empty for an operation answered without credentials
};

using OnvifHandler = HttpResponse (*)(OnvifContext& p_context, const OnvifCall& p_call);

struct OnvifOperation {
    const char* szName;
    OnvifHandler handler;
    bool bWrite;    // changes the camera: Operator or Administrator only
    bool bPreAuth;  // answered without credentials
};

struct OnvifServiceInfo {
    const char* szPath;
    const char* szNamespace;
    const std::vector<OnvifOperation>* pOperations;
};

extern const char* const kDevicePath;
extern const char* const kMediaPath;
extern const char* const kImagingPath;

const std::vector<OnvifOperation>& deviceOperations();
const std::vector<OnvifOperation>& mediaOperations();
const std::vector<OnvifOperation>& imagingOperations();
// The three services in the order GetServices lists them.
const std::vector<OnvifServiceInfo>& onvifServices();

// The operation's response: <p_strElement>p_strContent</p_strElement>.
HttpResponse respond(const std::string& p_strElement, const std::string& p_strContent = "");
// Where a client reaches a service: the scheme and Host the request came by.
std::string serviceAddress(const HttpRequest& p_request, const char* p_szPath);
// The operation's child element's trimmed text; false when absent.
bool argument(const XmlElement& p_operation, const char* p_szNamespace, const char* p_szName,
              std::string& p_strValue);

// Each service's GetServiceCapabilities content, for GetServices too.
std::string deviceCapabilities(OnvifContext& p_context);
std::string mediaCapabilities(OnvifContext& p_context);
std::string imagingCapabilities(OnvifContext& p_context);

// The Imaging service's settings operations.
HttpResponse getImagingSettings(OnvifContext& p_context, const OnvifCall& p_call);
HttpResponse setImagingSettings(OnvifContext& p_context, const OnvifCall& p_call);
HttpResponse getOptions(OnvifContext& p_context, const OnvifCall& p_call);
// False with the fault when the call names a video source the camera does
// not have.
bool checkVideoSource(const OnvifCall& p_call, HttpResponse& p_fault);
// The fault for an ImageService failure: a refused value is the client's,
// a module that failed the camera's, a service that stops unavailable.
HttpResponse outcomeFault(const ImageService::Result& p_result);

// The video source and profile tokens.
extern const char* const kVideoSourceToken;
extern const char* const kProfileToken;

#endif
