#ifndef SERVELOAD_ONVIF_H
#define SERVELOAD_ONVIF_H

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Client.h"

// What the harness says and reads over ONVIF: SOAP 1.2 envelopes with a
// WS-Security UsernameToken (PasswordDigest), the Imaging service's two
// settings operations, and the answers read with TinyXML.
namespace onvif {

extern const char* const kImagingPath;
extern const char* const kDevicePath;
// The Imaging service's names of the four plain settings, by the role the
// module's descriptor has ("brightness" -> "Brightness").
const char* settingForRole(const std::string& p_strRole);

// A Security header for p_account with a fresh random nonce, created
// p_nAgeSeconds ago (0: now).
std::string securityHeader(const Account& p_account, int p_nAgeSeconds = 0);
// An envelope around one operation (the Body's content); p_strPreamble goes
// before the Envelope (a DOCTYPE, say).
std::string envelope(const std::string& p_strHeader, const std::string& p_strBody,
                     const std::string& p_strPreamble = "");
std::string getImagingSettings();
std::string setImagingSettings(const std::vector<std::pair<std::string, int> >& p_values);

struct Answer {
    bool bParsed = false;  // a well-formed envelope came back
    bool bFault = false;
    std::string strCode;     // "Sender", "Receiver"
    std::string strSubcode;  // "ter:InvalidArgVal"
    std::string strReason;
    std::string strOperation;  // the Body's element without its prefix
    // GetImagingSettings: the plain numbers of ImagingSettings by name.
    std::map<std::string, double> settings;
    // "Sender/ter:InvalidArgVal", "GetImagingSettingsResponse", "not SOAP"
    std::string describe() const;
};
Answer read(const std::string& p_strBody);

}  // namespace onvif

#endif
