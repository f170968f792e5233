// Authenticates each envelope and hands it to its operation.
#include "OnvifService.h"

#include <utility>

#include "../ImageService.h"
#include "../auth/Authenticator.h"
#include "OnvifOperations.h"
#include "Soap.h"

namespace {

bool endsWith(const std::string& p_strText, const std::string& p_strSuffix) {
    return p_strText.size() >= p_strSuffix.size() &&
           p_strText.compare(p_strText.size() - p_strSuffix.size(), p_strSuffix.size(),
                             p_strSuffix) == 0;
}

const OnvifServiceInfo* serviceAt(const std::string& p_strPath) {
    for (const OnvifServiceInfo& service : onvifServices()) {
        if (p_strPath == service.szPath) {
            return &service;
        }
    }
    return nullptr;
}

// The operation by its namespace and name, with the service it belongs to.
const OnvifOperation* findOperation(const XmlElement& p_operation,
                                    const OnvifServiceInfo*& p_pService) {
    for (const OnvifServiceInfo& service : onvifServices()) {
        if (p_operation.strNamespace != service.szNamespace) {
            continue;
        }
        for (const OnvifOperation& operation : *service.pOperations) {
            if (p_operation.strName == operation.szName) {
                p_pService = &service;
                return &operation;
            }
        }
    }
    return nullptr;
}

HttpResponse decodeFault(SoapDecodeError p_eError, const std::string& p_strWhy) {
    SoapFault fault = senderFault("ter:WellFormed", "", p_strWhy);
    if (p_eError == SoapDecodeError::VERSION) {
        // SOAP's own answer to another envelope version; still the client's
        // mistake, so 400 like every other undecodable request.
        fault = senderFault("", "", p_strWhy);
        fault.eCode = SoapFault::Code::VERSION_MISMATCH;
    } else if (p_eError == SoapDecodeError::NO_OPERATION) {
        fault = senderFault("ter:InvalidArgs", "", p_strWhy);
    }
    return soapFaultResponse(fault);
}

HttpResponse notAuthorized(const std::string& p_strReason, int p_nStatus) {
    SoapFault fault = senderFault("ter:NotAuthorized", "", p_strReason);
    fault.nHttpStatus = p_nStatus;
    return soapFaultResponse(fault);
}

}  // namespace

struct OnvifService::Credentials {
    std::string strUser;
    UserLevel eLevel = UserLevel::USER;
};

OnvifService::OnvifService(ImageService& p_image, Authenticator& p_auth, OnvifIdentity p_identity)
    : m_image(p_image),
      m_auth(p_auth),
      m_identity(std::move(p_identity)),
      m_map(p_image.descriptors()) {}

bool OnvifService::serves(const std::string& p_strPath) {
    return serviceAt(p_strPath) != nullptr;
}

bool OnvifService::authenticate(const HttpRequest& p_request, const SoapRequest& p_soap,
                                bool p_bPreAuth, Credentials& p_credentials,
                                HttpResponse& p_refusal) {
    const std::string& address = p_request.strClientAddress;
    if (p_bPreAuth) {
        // A client learns the camera's clock from this before it can build
        // a token the camera accepts: whatever it sends is not checked.
        return true;
    }
    // A Security header with an empty token offers nothing: HTTP Digest
    // may still.
    if (p_soap.bHasToken && !(p_soap.token.strUser.empty() && p_soap.token.strPassword.empty())) {
        const UsernameToken& token = p_soap.token;
        if (token.strPasswordType.empty() || endsWith(token.strPasswordType, "#PasswordText")) {
            p_refusal = notAuthorized(
                "a PasswordText token is refused: it carries the password itself, which "
                "anyone on the way reads over plain HTTP; send a PasswordDigest token",
                400);
            return false;
        }
        if (!endsWith(token.strPasswordType, "#PasswordDigest")) {
            p_refusal = notAuthorized("unknown password type " + token.strPasswordType, 400);
            return false;
        }
        AuthOutcome outcome = m_auth.checkUsernameToken(token.strUser, token.strPassword,
                                                        token.strNonce, token.strCreated);
        if (!outcome.bOk) {
            m_auth.recordFailure(address);
            p_refusal = notAuthorized("the UsernameToken is refused: " + outcome.strReason, 400);
            return false;
        }
        m_auth.recordSuccess(address);
        p_credentials.strUser = outcome.strUser;
        p_credentials.eLevel = outcome.eLevel;
        return true;
    }
    AuthOutcome outcome = m_auth.checkHttpDigest(p_request);
    if (!outcome.bOk) {
        std::string reason =
            "log in with a user of this camera (WS-Security UsernameToken "
            "or HTTP Digest)";
        if (!outcome.bNoCredentials) {
            // An expired nonce of ours is no wrong password.
            if (!outcome.bStale) {
                m_auth.recordFailure(address);
            }
            reason = "HTTP Digest refused: " + outcome.strReason;
        }
        p_refusal = notAuthorized(reason, 401);
        m_auth.challenge(p_refusal, outcome.bStale);
        return false;
    }
    m_auth.recordSuccess(address);
    p_credentials.strUser = outcome.strUser;
    p_credentials.eLevel = outcome.eLevel;
    return true;
}

HttpResponse OnvifService::handle(const HttpRequest& p_request) {
    const OnvifServiceInfo* service = serviceAt(p_request.strPath);
    if (service == nullptr) {
        return soapFaultResponse(receiverFault("ter:ActionNotSupported", "",
                                               "no ONVIF service at " + p_request.strPath));
    }
    if (p_request.strMethod != "POST") {
        HttpResponse response =
            HttpResponse::text(405, "POST a SOAP 1.2 envelope to " + p_request.strPath + "\n");
        response.headers.emplace_back("Allow", "POST");
        return response;
    }
    int retryAfter = 0;
    if (m_auth.throttled(p_request.strClientAddress, retryAfter)) {
        HttpResponse response =
            notAuthorized("too many failed log-ins from " + p_request.strClientAddress +
                              "; try again in " + std::to_string(retryAfter) + " s",
                          429);
        response.headers.emplace_back("Retry-After", std::to_string(retryAfter));
        return response;
    }
    SoapRequest soap;
    std::string why;
    SoapDecodeError error = decodeSoapRequest(p_request.strBody, soap, why);
    if (error != SoapDecodeError::NONE) {
        return decodeFault(error, why);
    }
    if (!soap.notUnderstood.empty()) {
        SoapFault fault = senderFault(
            "", "", "the header " + soap.notUnderstood.front() + " must be understood and is not");
        fault.eCode = SoapFault::Code::MUST_UNDERSTAND;
        return soapFaultResponse(fault);
    }
    const OnvifServiceInfo* owner = nullptr;
    const OnvifOperation* operation = findOperation(soap.operation, owner);
    Credentials credentials;
    HttpResponse refusal;
    if (!authenticate(p_request, soap, operation != nullptr && operation->bPreAuth, credentials,
                      refusal)) {
        return refusal;
    }
    if (operation == nullptr) {
        return soapFaultResponse(
            receiverFault("ter:ActionNotSupported", "",
                          "no operation " + soap.operation.strName + " in " +
                              (soap.operation.strNamespace.empty() ? std::string("no namespace")
                                                                   : soap.operation.strNamespace)));
    }
    if (owner != service) {
        return soapFaultResponse(receiverFault("ter:ActionNotSupported", "",
                                               std::string(operation->szName) +
                                                   " belongs to the service at " + owner->szPath +
                                                   ", not " + service->szPath));
    }
    if (operation->bWrite && !mayWrite(credentials.eLevel)) {
        return notAuthorized(std::string(operation->szName) + ": operator level needed; " +
                                 credentials.strUser + " is a " + userLevelName(credentials.eLevel),
                             400);
    }
    OnvifContext context{m_image, m_identity, m_map};
    OnvifCall call{p_request, soap.operation, credentials.strUser};
    return operation->handler(context, call);
}
