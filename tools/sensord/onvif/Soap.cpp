// Writes responses and faults; reads and writes the schema's simple types.
#include "Soap.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <locale>
#include <sstream>

namespace ns {
const char* const kEnvelope = "http://www.w3.org/2003/05/soap-envelope";
const char* const kEnvelope11 = "http://schemas.xmlsoap.org/soap/envelope/";
const char* const kSchema = "http://www.onvif.org/ver10/schema";
const char* const kDevice = "http://www.onvif.org/ver10/device/wsdl";
const char* const kMedia = "http://www.onvif.org/ver10/media/wsdl";
const char* const kImaging = "http://www.onvif.org/ver20/imaging/wsdl";
const char* const kError = "http://www.onvif.org/ver10/error";
const char* const kSecurity =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd";
const char* const kUtility =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd";
const char* const kXml = "http://www.w3.org/XML/1998/namespace";
}  // namespace ns

bool isSpace(char p_c) {
    return p_c == ' ' || p_c == '\t' || p_c == '\n' || p_c == '\r';
}

std::string trim(const std::string& p_strText) {
    size_t begin = 0;
    size_t end = p_strText.size();
    while (begin < end && isSpace(p_strText[begin])) {
        ++begin;
    }
    while (end > begin && isSpace(p_strText[end - 1])) {
        --end;
    }
    return p_strText.substr(begin, end - begin);
}

namespace {

std::string formatNumber(double p_dValue) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.6f", p_dValue);
    std::string text = buffer;
    // Whatever decimal separator a locale would have printed.
    std::replace(text.begin(), text.end(), ',', '.');
    size_t point = text.find('.');
    if (point != std::string::npos) {
        size_t last = text.find_last_not_of('0');
        text.erase(last == point ? point : last + 1);
    }
    return text == "-0" ? "0" : text;
}

}  // namespace

XmlWriter& XmlWriter::open(const std::string& p_strName, const Attributes& p_attributes) {
    m_strText += "<" + p_strName;
    for (const auto& attribute : p_attributes) {
        m_strText += " " + attribute.first + "=\"" + xmlEscape(attribute.second) + "\"";
    }
    m_strText += ">";
    m_open.push_back(p_strName);
    return *this;
}

XmlWriter& XmlWriter::close() {
    if (!m_open.empty()) {
        m_strText += "</" + m_open.back() + ">";
        m_open.pop_back();
    }
    return *this;
}

XmlWriter& XmlWriter::leaf(const std::string& p_strName, const std::string& p_strText,
                           const Attributes& p_attributes) {
    open(p_strName, p_attributes);
    m_strText += xmlEscape(p_strText);
    return close();
}

XmlWriter& XmlWriter::empty(const std::string& p_strName, const Attributes& p_attributes) {
    m_strText += "<" + p_strName;
    for (const auto& attribute : p_attributes) {
        m_strText += " " + attribute.first + "=\"" + xmlEscape(attribute.second) + "\"";
    }
    m_strText += "/>";
    return *this;
}

XmlWriter& XmlWriter::raw(const std::string& p_strXml) {
    m_strText += p_strXml;
    return *this;
}

std::string XmlWriter::finish() {
    while (!m_open.empty()) {
        close();
    }
    std::string text;
    text.swap(m_strText);
    return text;
}

std::string xmlEscape(const std::string& p_strText) {
    std::string escaped;
    escaped.reserve(p_strText.size());
    for (char c : p_strText) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            // Kept through attribute normalisation.
            case '\t':
                escaped += "&#9;";
                break;
            case '\n':
                escaped += "&#10;";
                break;
            case '\r':
                escaped += "&#13;";
                break;
            default:
                // Control characters XML cannot carry at all are dropped.
                if (static_cast<unsigned char>(c) >= 0x20) {
                    escaped += c;
                }
        }
    }
    return escaped;
}

std::string xmlFloat(double p_dValue) {
    return formatNumber(p_dValue);
}

std::string xmlDuration(long p_nSeconds) {
    return "PT" + std::to_string(p_nSeconds < 0 ? 0 : p_nSeconds) + "S";
}

bool parseXmlFloat(const std::string& p_strText, double& p_dValue) {
    std::string text = trim(p_strText);
    // The lexical form checked first: strtod would take hex, "inf", "nan".
    size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    size_t digits = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        ++at;
        ++digits;
    }
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
            ++at;
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            ++at;
        }
        size_t exponent = 0;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
            ++at;
            ++exponent;
        }
        if (exponent == 0) {
            return false;
        }
    }
    if (at != text.size()) {
        return false;
    }
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double value = 0;
    in >> value;
    if (in.fail() || !std::isfinite(value)) {
        return false;
    }
    p_dValue = value;
    return true;
}

bool parseXmlBool(const std::string& p_strText, bool& p_bValue) {
    std::string text = trim(p_strText);
    if (text == "true" || text == "1") {
        p_bValue = true;
        return true;
    }
    if (text == "false" || text == "0") {
        p_bValue = false;
        return true;
    }
    return false;
}

bool parseXmlDuration(const std::string& p_strText, long& p_nSeconds) {
    std::string text = trim(p_strText);
    if (text.size() < 3 || text[0] != 'P') {
        return false;
    }
    double seconds = 0;
    bool time = false;
    bool any = false;
    std::string order = "D";  // the designators still allowed, in order
    for (size_t at = 1; at < text.size();) {
        if (text[at] == 'T') {
            if (time) {
                return false;
            }
            time = true;
            order = "HMS";
            ++at;
            if (at == text.size()) {
                return false;
            }
            continue;
        }
        size_t begin = at;
        while (at < text.size() &&
               (std::isdigit(static_cast<unsigned char>(text[at])) || text[at] == '.')) {
            ++at;
        }
        if (at == begin || at == text.size() || at - begin > 9) {
            return false;
        }
        char designator = text[at++];
        size_t place = order.find(designator);
        std::string number = text.substr(begin, at - 1 - begin);
        if (place == std::string::npos ||
            (number.find('.') != std::string::npos && designator != 'S')) {
            return false;
        }
        order.erase(0, place + 1);
        double value = 0;
        if (!parseXmlFloat(number, value)) {
            return false;
        }
        seconds += value * (designator == 'D'   ? 86400
                            : designator == 'H' ? 3600
                            : designator == 'M' ? 60
                                                : 1);
        any = true;
    }
    if (!any) {
        return false;
    }
    p_nSeconds = std::lround(seconds);
    return true;
}

SoapFault senderFault(const std::string& p_strSubcode, const std::string& p_strSubSubcode,
                      const std::string& p_strReason) {
    SoapFault fault;
    fault.eCode = SoapFault::Code::SENDER;
    fault.strSubcode = p_strSubcode;
    fault.strSubSubcode = p_strSubSubcode;
    fault.strReason = p_strReason;
    return fault;
}

SoapFault receiverFault(const std::string& p_strSubcode, const std::string& p_strSubSubcode,
                        const std::string& p_strReason) {
    SoapFault fault = senderFault(p_strSubcode, p_strSubSubcode, p_strReason);
    fault.eCode = SoapFault::Code::RECEIVER;
    return fault;
}

namespace {

std::string envelope(const std::string& p_strBody) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") +
           "<env:Envelope xmlns:env=\"" + ns::kEnvelope + "\" xmlns:tt=\"" + ns::kSchema +
           "\" xmlns:tds=\"" + ns::kDevice + "\" xmlns:trt=\"" + ns::kMedia + "\" xmlns:timg=\"" +
           ns::kImaging + "\" xmlns:ter=\"" + ns::kError + "\"><env:Body>" + p_strBody +
           "</env:Body></env:Envelope>\n";
}

}  // namespace

HttpResponse soapResponse(const std::string& p_strBody) {
    HttpResponse response;
    response.nStatus = 200;
    response.strContentType = "application/soap+xml; charset=utf-8";
    response.strBody = envelope(p_strBody);
    return response;
}

HttpResponse soapFaultResponse(const SoapFault& p_fault) {
    const char* code = p_fault.eCode == SoapFault::Code::SENDER             ? "env:Sender"
                       : p_fault.eCode == SoapFault::Code::RECEIVER         ? "env:Receiver"
                       : p_fault.eCode == SoapFault::Code::VERSION_MISMATCH ? "env:VersionMismatch"
                                                                            : "env:MustUnderstand";
    XmlWriter xml;
    xml.open("env:Fault").open("env:Code").leaf("env:Value", code);
    if (!p_fault.strSubcode.empty()) {
        xml.open("env:Subcode").leaf("env:Value", p_fault.strSubcode);
        if (!p_fault.strSubSubcode.empty()) {
            xml.open("env:Subcode").leaf("env:Value", p_fault.strSubSubcode).close();
        }
        xml.close();
    }
    xml.close();
    xml.open("env:Reason").leaf("env:Text", p_fault.strReason, {{"xml:lang", "en"}}).close();
    HttpResponse response = soapResponse(xml.finish());
    response.nStatus = p_fault.nHttpStatus != 0                     ? p_fault.nHttpStatus
                       : p_fault.eCode == SoapFault::Code::RECEIVER ? 500
                                                                    : 400;
    return response;
}
