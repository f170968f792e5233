// The ONVIF service's envelope decoder and writer: names resolved by
// namespace whatever the prefixes, the WS-Security token found, and every
// kind of bad input refused with a reason rather than parsed.
#include <gtest/gtest.h>

#include <string>

#include "onvif/Soap.h"

namespace {

const std::string kSoap = "http://www.w3.org/2003/05/soap-envelope";
const std::string kSecurity =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd";

SoapDecodeError decode(const std::string& p_strText, SoapRequest& p_request) {
    std::string why;
    SoapDecodeError error = decodeSoapRequest(p_strText, p_request, why);
    EXPECT_EQ(error == SoapDecodeError::NONE, why.empty()) << why;
    return error;
}

SoapDecodeError decode(const std::string& p_strText) {
    SoapRequest request;
    return decode(p_strText, request);
}

std::string envelope(const std::string& p_strBody, const std::string& p_strHeader = "") {
    return "<s:Envelope xmlns:s=\"" + kSoap + "\">" +
           (p_strHeader.empty() ? "" : "<s:Header>" + p_strHeader + "</s:Header>") + "<s:Body>" +
           p_strBody + "</s:Body></s:Envelope>";
}

const char* const kImagingNs = "http://www.onvif.org/ver20/imaging/wsdl";

TEST(SoapDecode, NamesResolveByNamespaceWhateverThePrefix) {
    const std::string token = "<VideoSourceToken>VideoSource_1</VideoSourceToken>";
    const std::string spellings[] = {
        // The default namespace on the operation (the npm client's way).
        envelope("<GetOptions xmlns=\"" + std::string(kImagingNs) + "\">" + token +
                 "</GetOptions>"),
        // A prefix declared on the envelope, another envelope prefix.
        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"" + kSoap + "\" xmlns:timg=\"" + kImagingNs +
            "\"><SOAP-ENV:Body><timg:GetOptions><timg:VideoSourceToken>VideoSource_1"
            "</timg:VideoSourceToken></timg:GetOptions></SOAP-ENV:Body></SOAP-ENV:Envelope>",
        // The envelope's own prefix rebound to the imaging namespace inside.
        envelope("<s:GetOptions xmlns:s=\"" + std::string(kImagingNs) +
                 "\"><s:VideoSourceToken>VideoSource_1</s:VideoSourceToken></s:GetOptions>"),
    };
    for (const std::string& text : spellings) {
        SoapRequest request;
        ASSERT_EQ(SoapDecodeError::NONE, decode(text, request)) << text;
        EXPECT_TRUE(request.operation.is(kImagingNs, "GetOptions")) << text;
        const XmlElement* child = request.operation.child(kImagingNs, "VideoSourceToken");
        ASSERT_NE(nullptr, child) << text;
        EXPECT_EQ("VideoSource_1", child->trimmedText());
    }
}

TEST(SoapDecode, ScopesEndWithTheirElement) {
    // The default namespace set on one element is gone at its sibling, and
    // xmlns="" takes it away again.
    SoapRequest request;
    ASSERT_EQ(SoapDecodeError::NONE,
              decode(envelope("<op xmlns=\"urn:a\"><x xmlns=\"urn:b\"><y/></x><z/>"
                              "<w xmlns=\"\"/></op>"),
                     request));
    const XmlElement& op = request.operation;
    ASSERT_EQ(3u, op.children.size());
    EXPECT_EQ("urn:b", op.children[0].strNamespace);
    EXPECT_EQ("urn:b", op.children[0].children[0].strNamespace);
    EXPECT_EQ("urn:a", op.children[1].strNamespace);
    EXPECT_EQ("", op.children[2].strNamespace);
    // Attributes without a prefix are in no namespace; with one, in its.
    ASSERT_EQ(
        SoapDecodeError::NONE,
        decode(envelope("<op xmlns=\"urn:a\" xmlns:p=\"urn:p\" plain=\"1\" p:q=\"2\"/>"), request));
    ASSERT_NE(nullptr, request.operation.attribute("", "plain"));
    EXPECT_EQ("2", *request.operation.attribute("urn:p", "q"));
    EXPECT_EQ(nullptr, request.operation.attribute("urn:a", "plain"));
}

TEST(SoapDecode, TextKeepsEntitiesAndCdataDecoded) {
    SoapRequest request;
    ASSERT_EQ(SoapDecodeError::NONE,
              decode(envelope("<op xmlns=\"urn:a\"><n>a&amp;b&#x41;&lt;<![CDATA[<raw>]]></n>"
                              "</op>"),
                     request));
    EXPECT_EQ("a&bA<<raw>", request.operation.children.at(0).strText);
}

TEST(SoapDecode, FindsTheUsernameTokenInAnySpelling) {
    const std::string token =
        "<UsernameToken><Username> admin </Username>"
        "<Password Type=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-username-"
        "token-profile-1.0#PasswordDigest\">ZGlnZXN0</Password><Nonce>bm9uY2U=</Nonce>"
        "<Created xmlns=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-"
        "utility-1.0.xsd\">2024-05-01T10:00:00Z</Created></UsernameToken>";
    SoapRequest request;
    ASSERT_EQ(SoapDecodeError::NONE,
              decode(envelope("<GetScopes xmlns=\"http://www.onvif.org/ver10/device/wsdl\"/>",
                              "<Security s:mustUnderstand=\"1\" xmlns=\"" + kSecurity + "\">" +
                                  token + "</Security>"),
                     request));
    ASSERT_TRUE(request.bHasToken);
    EXPECT_EQ("admin", request.token.strUser);
    EXPECT_EQ("ZGlnZXN0", request.token.strPassword);
    EXPECT_NE(std::string::npos, request.token.strPasswordType.find("#PasswordDigest"));
    EXPECT_EQ("bm9uY2U=", request.token.strNonce);
    EXPECT_EQ("2024-05-01T10:00:00Z", request.token.strCreated);
    EXPECT_TRUE(request.notUnderstood.empty());

    // A Username in the wrong namespace is not the token's.
    ASSERT_EQ(SoapDecodeError::NONE,
              decode(envelope("<op xmlns=\"urn:a\"/>",
                              "<w:Security xmlns:w=\"" + kSecurity +
                                  "\"><w:UsernameToken>"
                                  "<Username>admin</Username></w:UsernameToken></w:Security>"),
                     request));
    EXPECT_TRUE(request.bHasToken);
    EXPECT_EQ("", request.token.strUser);

    ASSERT_EQ(SoapDecodeError::NONE, decode(envelope("<op xmlns=\"urn:a\"/>"), request));
    EXPECT_FALSE(request.bHasToken);
}

TEST(SoapDecode, HeadersMarkedMustUnderstandAreNamedUnlessKnown) {
    SoapRequest request;
    ASSERT_EQ(SoapDecodeError::NONE,
              decode(envelope("<op xmlns=\"urn:a\"/>",
                              "<a:Action s:mustUnderstand=\"1\" xmlns:a=\"http://www.w3.org/2005/"
                              "08/addressing\">urn:x</a:Action><v:Trace s:mustUnderstand=\"false\""
                              " xmlns:v=\"urn:vendor\"/><v:Lock s:mustUnderstand=\"true\" "
                              "xmlns:v=\"urn:vendor\"/>"),
                     request));
    ASSERT_EQ(1u, request.notUnderstood.size());
    EXPECT_EQ("{urn:vendor}Lock", request.notUnderstood[0]);
}

TEST(SoapDecode, DeclarationsAreRefusedBeforeParsing) {
    const std::string entities[] = {
        "<!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;&lol;\">]>" +
            envelope("<op xmlns=\"urn:a\">&lol2;</op>"),
        "<?xml version=\"1.0\"?><!doctype x SYSTEM \"file:///etc/passwd\">" + envelope("<x/>"),
        envelope("<op xmlns=\"urn:a\"><![CDATA[<!ENTITY x \"y\">]]></op>"),
    };
    for (const std::string& text : entities) {
        EXPECT_EQ(SoapDecodeError::DECLARATION, decode(text)) << text;
    }
}

TEST(SoapDecode, EveryTruncationIsRefused) {
    const std::string whole = envelope(
        "<timg:SetImagingSettings xmlns:timg=\"urn:i\"><timg:Brightness>50</timg:Brightness>"
        "</timg:SetImagingSettings>",
        "<wsse:Security xmlns:wsse=\"" + kSecurity +
            "\"><wsse:UsernameToken><wsse:Username>a"
            "</wsse:Username></wsse:UsernameToken></wsse:Security>");
    ASSERT_EQ(SoapDecodeError::NONE, decode(whole));
    for (size_t length = 0; length < whole.size(); ++length) {
        SoapRequest request;
        std::string why;
        EXPECT_NE(SoapDecodeError::NONE, decodeSoapRequest(whole.substr(0, length), request, why))
            << "length " << length;
        EXPECT_FALSE(why.empty());
    }
}

TEST(SoapDecode, RefusesWhatIsNotOneSoap12Operation) {
    EXPECT_EQ(SoapDecodeError::NOT_SOAP, decode("<html><body/></html>"));
    EXPECT_EQ(SoapDecodeError::VERSION,
              decode("<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\">"
                     "<e:Body><op/></e:Body></e:Envelope>"));
    EXPECT_EQ(SoapDecodeError::NO_OPERATION,
              decode("<s:Envelope xmlns:s=\"" + kSoap + "\"><s:Header/></s:Envelope>"));
    EXPECT_EQ(SoapDecodeError::NO_OPERATION, decode(envelope("")));
    EXPECT_EQ(SoapDecodeError::NO_OPERATION, decode(envelope("<a/><b/>")));
    // A Header after the Body, or anything else beside them.
    EXPECT_EQ(SoapDecodeError::MALFORMED, decode("<s:Envelope xmlns:s=\"" + kSoap +
                                                 "\"><s:Body><a/></s:Body><s:Header/>"
                                                 "</s:Envelope>"));
    EXPECT_EQ(SoapDecodeError::MALFORMED, decode(envelope("<p:op/>")));  // undeclared prefix
    EXPECT_EQ(SoapDecodeError::MALFORMED, decode(envelope("<a></b>")));
    EXPECT_EQ(SoapDecodeError::MALFORMED, decode(envelope("<a/>") + "<second/>"));
    EXPECT_EQ(SoapDecodeError::MALFORMED, decode(""));
    EXPECT_EQ(SoapDecodeError::MALFORMED, decode("   "));
    EXPECT_EQ(SoapDecodeError::MALFORMED, decode("just text"));
}

TEST(SoapDecode, RefusesBytesAndMarkupTheParserNeverSees) {
    const std::string body = envelope("<op xmlns=\"urn:a\">x</op>");
    EXPECT_EQ(SoapDecodeError::NONE, decode("\xEF\xBB\xBF" + body));  // a byte order mark
    EXPECT_EQ(SoapDecodeError::NONE, decode("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + body));
    EXPECT_EQ(SoapDecodeError::NONE, decode(envelope("<op xmlns=\"urn:a\">\xC3\xA9\xE2\x82\xAC"
                                                     "\xF0\x9F\x93\xB7</op>")));
    const std::string refused[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body,
        envelope("<op xmlns=\"urn:a\"><?php x?></op>"),
        envelope("<op xmlns=\"urn:a\">\xC3</op>"),          // cut sequence
        envelope("<op xmlns=\"urn:a\">\xC0\xAF</op>"),      // overlong '/'
        envelope("<op xmlns=\"urn:a\">\xED\xA0\x80</op>"),  // a surrogate
        envelope("<op xmlns=\"urn:a\">\x01</op>"),
        envelope(std::string("<op xmlns=\"urn:a\">a") + '\0' + "b</op>"),
        envelope("<op xmlns=\"urn:a\"><!ELEMENT x ANY></op>"),
        envelope("<op xmlns=\"urn:a\"><!-- never closed </op>"),
    };
    for (const std::string& text : refused) {
        EXPECT_EQ(SoapDecodeError::MALFORMED, decode(text)) << text;
    }
}

TEST(SoapDecode, NestingIsBoundedBeforeTheParserRecurses) {
    auto nested = [](int p_nDepth) {
        std::string open;
        std::string close;
        for (int n = 0; n < p_nDepth; ++n) {
            open += "<a q='>'>";
            close += "</a>";
        }
        return envelope("<op xmlns=\"urn:a\">" + open + close + "</op>");
    };
    // The envelope, the Body and the operation take three levels.
    EXPECT_EQ(SoapDecodeError::NONE, decode(nested(kMaxSoapDepth - 3)));
    EXPECT_EQ(SoapDecodeError::MALFORMED, decode(nested(kMaxSoapDepth - 2)));
    // Far deeper than any stack could take, refused at once.
    EXPECT_EQ(SoapDecodeError::MALFORMED, decode(nested(200000)));
    // Self-closed elements do not add up.
    std::string flat;
    for (int n = 0; n < 1000; ++n) {
        flat += "<x/>";
    }
    EXPECT_EQ(SoapDecodeError::NONE, decode(envelope("<op xmlns=\"urn:a\">" + flat + "</op>")));
}

TEST(SoapWrite, EscapesEveryTextAndAttribute) {
    XmlWriter xml;
    xml.open("a", {{"v", "\"<&>'"}}).leaf("b", "x<y&z>\"q\"").empty("c", {{"w", "\t\n"}});
    EXPECT_EQ(
        "<a v=\"&quot;&lt;&amp;&gt;&apos;\"><b>x&lt;y&amp;z&gt;&quot;q&quot;</b>"
        "<c w=\"&#9;&#10;\"/></a>",
        xml.finish());
    EXPECT_EQ("ab", xmlEscape(std::string("a\x01\x1f"
                                          "b")));
}

TEST(SoapWrite, FaultsDecodeToTheirCodesAndStatus) {
    SoapFault fault = senderFault("ter:InvalidArgVal", "ter:NoSource", "no <source> & more");
    HttpResponse response = soapFaultResponse(fault);
    EXPECT_EQ(400, response.nStatus);
    EXPECT_EQ("application/soap+xml; charset=utf-8", response.strContentType);
    SoapRequest decoded;
    ASSERT_EQ(SoapDecodeError::NONE, decode(response.strBody, decoded));
    const XmlElement& body = decoded.operation;
    ASSERT_TRUE(body.is(kSoap.c_str(), "Fault"));
    const XmlElement* code = body.child(kSoap.c_str(), "Code");
    ASSERT_NE(nullptr, code);
    EXPECT_EQ("env:Sender", code->child(kSoap.c_str(), "Value")->trimmedText());
    const XmlElement* sub = code->child(kSoap.c_str(), "Subcode");
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ("ter:InvalidArgVal", sub->child(kSoap.c_str(), "Value")->trimmedText());
    const XmlElement* subsub = sub->child(kSoap.c_str(), "Subcode");
    ASSERT_NE(nullptr, subsub);
    EXPECT_EQ("ter:NoSource", subsub->child(kSoap.c_str(), "Value")->trimmedText());
    const XmlElement* text = body.child(kSoap.c_str(), "Reason")->child(kSoap.c_str(), "Text");
    EXPECT_EQ("no <source> & more", text->strText);
    EXPECT_EQ("en", *text->attribute("http://www.w3.org/XML/1998/namespace", "lang"));

    EXPECT_EQ(500, soapFaultResponse(receiverFault("ter:Action", "", "x")).nStatus);
    fault.nHttpStatus = 429;
    EXPECT_EQ(429, soapFaultResponse(fault).nStatus);
}

TEST(SoapValues, FloatsAreWrittenAsPlainDecimals) {
    EXPECT_EQ("50", xmlFloat(50));
    EXPECT_EQ("0.5", xmlFloat(0.5));
    EXPECT_EQ("-1", xmlFloat(-1));
    EXPECT_EQ("0", xmlFloat(-0.0));
    EXPECT_EQ("33333.333333", xmlFloat(1e6 / 30));
    EXPECT_EQ("1000000", xmlFloat(1e6));
    EXPECT_EQ("-2147483648", xmlFloat(-2147483648.0));
}

TEST(SoapValues, ParsesOnlyTheSchemasLexicalForms) {
    double value = 0;
    EXPECT_TRUE(parseXmlFloat(" 12.5 ", value));
    EXPECT_EQ(12.5, value);
    EXPECT_TRUE(parseXmlFloat("-3", value));
    EXPECT_EQ(-3, value);
    EXPECT_TRUE(parseXmlFloat("1E3", value));
    EXPECT_EQ(1000, value);
    EXPECT_TRUE(parseXmlFloat(".5", value));
    for (const char* text : {"", "inf", "INF", "NaN", "0x10", "1e", "1.2.3", "5 5", "+", "1e999"}) {
        EXPECT_FALSE(parseXmlFloat(text, value)) << text;
    }
    bool flag = false;
    EXPECT_TRUE(parseXmlBool("true", flag) && flag);
    EXPECT_TRUE(parseXmlBool(" 0 ", flag) && !flag);
    EXPECT_FALSE(parseXmlBool("yes", flag));
    EXPECT_FALSE(parseXmlBool("TRUE", flag));

    long seconds = 0;
    EXPECT_TRUE(parseXmlDuration("PT5S", seconds));
    EXPECT_EQ(5, seconds);
    EXPECT_TRUE(parseXmlDuration("PT1M30S", seconds));
    EXPECT_EQ(90, seconds);
    EXPECT_TRUE(parseXmlDuration("P1DT1H", seconds));
    EXPECT_EQ(90000, seconds);
    EXPECT_TRUE(parseXmlDuration("PT2.6S", seconds));
    EXPECT_EQ(3, seconds);
    for (const char* text : {"", "P", "PT", "5S", "-PT5S", "P1Y", "P1M", "PT5S5S", "PT1S1M",
                             "PT1.5M", "PTS", "P1DT", "PT9999999999S"}) {
        EXPECT_FALSE(parseXmlDuration(text, seconds)) << text;
    }
    EXPECT_EQ("PT5S", xmlDuration(5));
    EXPECT_EQ("PT0S", xmlDuration(-4));
}

}  // namespace
