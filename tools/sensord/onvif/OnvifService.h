#ifndef SENSORD_ONVIFSERVICE_H
#define SENSORD_ONVIFSERVICE_H

#include <string>

#include "../Http.h"
#include "ImagingMap.h"

class Authenticator;
class ImageService;
struct SoapRequest;

// What the Device service tells about the camera.
struct OnvifIdentity {
    std::string strManufacturer = "sensorcontrol";
    std::string strModel;  // the module's name: "hi351x"
    std::string strFirmwareVersion;
    std::string strSerialNumber;
    std::string strHardwareId;  // the module id
    // GetStreamUri's answer; empty: GetStreamUri is a fault.
    std::string strStreamUri;
};

// ONVIF over SOAP 1.2: enough of Device and Media for a client to reach the
// Imaging service, and Imaging in full, mapped to the module's parameters by
// their descriptors' roles. Served at "/onvif/device_service",
// "/onvif/media_service" and "/onvif/imaging_service".
class OnvifService {
public:
    OnvifService(ImageService& p_image, Authenticator& p_auth, OnvifIdentity p_identity);

    // Whether the path is one of the three services.
    static bool serves(const std::string& p_strPath);
    // Answers one POSTed envelope, authenticating it by its WS-Security
    // UsernameToken or by HTTP Digest; every failure is a SOAP fault.
    HttpResponse handle(const HttpRequest& p_request);

private:
    struct Credentials;
    // Who sent the request, or the response that refuses it.
    bool authenticate(const HttpRequest& p_request, const SoapRequest& p_soap, bool p_bPreAuth,
                      Credentials& p_credentials, HttpResponse& p_refusal);

    ImageService& m_image;
    Authenticator& m_auth;
    OnvifIdentity m_identity;
    // The module's descriptors as ONVIF settings; they never change.
    ImagingMap m_map;
};

#endif
