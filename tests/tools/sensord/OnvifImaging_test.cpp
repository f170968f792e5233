// The Imaging service against real controllers on their simulated modules:
// the SoC's own sensor (hi351x) and a VISCA block camera with a lens
// (fcbev7310). What GetOptions offers is what the descriptors take, a Set
// is all or nothing, and what a module lacks is nowhere.
#include <gtest/gtest.h>

#include "OnvifFixture.h"
#include "sim/SimLineModule.h"

using namespace onvif_test;

namespace {

std::string withSource(const char* p_szOperation, const std::string& p_strRest = "") {
    return std::string("<timg:") + p_szOperation +
           "><timg:VideoSourceToken>VideoSource_1</timg:VideoSourceToken>" + p_strRest +
           "</timg:" + p_szOperation + ">";
}

std::string setSettings(const std::string& p_strSettings, const std::string& p_strMore = "") {
    return withSource("SetImagingSettings", "<timg:ImagingSettings>" + p_strSettings +
                                                "</timg:ImagingSettings>" + p_strMore);
}

// An element back as XML, each with its namespace as the default one.
std::string serialise(const XmlElement& p_element) {
    std::string text = "<" + p_element.strName + " xmlns=\"" + p_element.strNamespace + "\"";
    for (const XmlElement::Attribute& attribute : p_element.attributes) {
        if (attribute.strNamespace.empty()) {
            text += " " + attribute.strName + "=\"" + xmlEscape(attribute.strValue) + "\"";
        }
    }
    text += ">" + xmlEscape(p_element.trimmedText());
    for (const XmlElement& child : p_element.children) {
        text += serialise(child);
    }
    return text + "</" + p_element.strName + ">";
}

class OnvifImaging : public testing::TestWithParam<std::string> {
protected:
    OnvifImaging() : m_camera(GetParam()) {}

    int value(ParameterRole p_eRole) {
        const ParameterDescriptor* descriptor = m_camera.image().findByRole(p_eRole);
        int current = -12345;
        EXPECT_NE(nullptr, descriptor);
        if (descriptor != nullptr) {
            EXPECT_TRUE(m_camera.image().get(descriptor->nId, current));
        }
        return current;
    }
    Reply settings() {
        Reply reply = m_camera.call(kImaging, withSource("GetImagingSettings"), "viewer");
        EXPECT_EQ(200, reply.http.nStatus) << reply.http.strBody;
        return reply;
    }
    Reply options() {
        Reply reply = m_camera.call(kImaging, withSource("GetOptions"), "viewer");
        EXPECT_EQ(200, reply.http.nStatus) << reply.http.strBody;
        return reply;
    }

    OnvifCamera m_camera;
};

TEST_P(OnvifImaging, OptionsAreTheDescriptorsRangesAndMissingSettingsAreNowhere) {
    Reply offered = options();
    Reply current = settings();
    const struct {
        const char* szElement;
        ParameterRole eRole;
    } floats[] = {{"Brightness", ParameterRole::BRIGHTNESS},
                  {"ColorSaturation", ParameterRole::SATURATION},
                  {"Contrast", ParameterRole::CONTRAST},
                  {"Sharpness", ParameterRole::SHARPNESS}};
    for (const auto& setting : floats) {
        const ParameterDescriptor* descriptor = m_camera.image().findByRole(setting.eRole);
        const XmlElement* range = offered.find({"timg:ImagingOptions", setting.szElement});
        const XmlElement* now = current.find({"timg:ImagingSettings", setting.szElement});
        if (descriptor == nullptr) {
            EXPECT_EQ(nullptr, range) << setting.szElement;
            EXPECT_EQ(nullptr, now) << setting.szElement;
            continue;
        }
        ASSERT_NE(nullptr, range) << setting.szElement;
        EXPECT_EQ(std::to_string(descriptor->nMin),
                  range->child(ns::kSchema, "Min")->trimmedText());
        EXPECT_EQ(std::to_string(descriptor->nMax),
                  range->child(ns::kSchema, "Max")->trimmedText());
        ASSERT_NE(nullptr, now) << setting.szElement;
        EXPECT_EQ(std::to_string(value(setting.eRole)), now->trimmedText());
    }
    if (GetParam() == "fcbev7310") {
        EXPECT_EQ("4", offered.text({"timg:ImagingOptions", "Exposure", "MaxGain", "Min"}));
        EXPECT_EQ("17", offered.text({"timg:ImagingOptions", "Exposure", "Iris", "Max"}));
        EXPECT_EQ("255", offered.text({"timg:ImagingOptions", "WhiteBalance", "YrGain", "Max"}));
        std::vector<std::string> modes;
        for (const XmlElement* mode :
             offered.find({"timg:ImagingOptions"})->all(ns::kSchema, "IrCutFilterModes")) {
            modes.push_back(mode->trimmedText());
        }
        EXPECT_EQ((std::vector<std::string>{"ON", "OFF", "AUTO"}), modes);
        EXPECT_EQ("AUTO", current.text({"timg:ImagingSettings", "Focus", "AutoFocusMode"}));
        // The ICR threshold moves the boundary; there is no delay to set.
        const XmlElement* adjustment = offered.find(
            {"timg:ImagingOptions", "Extension", "Extension", "IrCutFilterAutoAdjustment"});
        ASSERT_NE(nullptr, adjustment);
        EXPECT_EQ("true", adjustment->child(ns::kSchema, "BoundaryOffset")->trimmedText());
        EXPECT_EQ(nullptr, adjustment->child(ns::kSchema, "ResponseTimeRange"));
    } else {
        EXPECT_EQ(nullptr, current.find({"timg:ImagingSettings", "Focus"}));
        EXPECT_EQ(nullptr, offered.find({"timg:ImagingOptions", "WhiteBalance"}));
        EXPECT_EQ("100", offered.text({"timg:ImagingOptions", "WideDynamicRange", "Level", "Max"}));
        EXPECT_EQ("true", offered.text({"timg:ImagingOptions", "Extension", "Extension",
                                        "IrCutFilterAutoAdjustment", "BoundaryOffset"}));
        EXPECT_EQ("PT5S", current.text({"timg:ImagingSettings", "Extension", "Extension",
                                        "IrCutFilterAutoAdjustment", "ResponseTime"}));
    }
}

TEST_P(OnvifImaging, SetThenGetRoundTripsAndLeavesTheRestAlone) {
    int contrast = GetParam() == "hi351x" ? value(ParameterRole::CONTRAST) : 0;
    Reply set = m_camera.call(kImaging,
                              setSettings("<tt:ColorSaturation>33</tt:ColorSaturation>"
                                          "<tt:IrCutFilter>OFF</tt:IrCutFilter>"
                                          "<tt:Sharpness>44</tt:Sharpness>"),
                              "operator");
    ASSERT_EQ(200, set.http.nStatus) << set.http.strBody;
    EXPECT_TRUE(set.body().is(ns::kImaging, "SetImagingSettingsResponse"));
    EXPECT_EQ(33, value(ParameterRole::SATURATION));
    EXPECT_EQ(44, value(ParameterRole::SHARPNESS));
    Reply now = settings();
    EXPECT_EQ("33", now.text({"timg:ImagingSettings", "ColorSaturation"}));
    EXPECT_EQ("44", now.text({"timg:ImagingSettings", "Sharpness"}));
    EXPECT_EQ("OFF", now.text({"timg:ImagingSettings", "IrCutFilter"}));
    if (GetParam() == "hi351x") {
        EXPECT_EQ(contrast, value(ParameterRole::CONTRAST));
    }
    ASSERT_EQ(
        200,
        m_camera.call(kImaging, setSettings("<tt:IrCutFilter>AUTO</tt:IrCutFilter>")).http.nStatus);
    EXPECT_EQ("AUTO", settings().text({"timg:ImagingSettings", "IrCutFilter"}));
}

TEST_P(OnvifImaging, ARefusedValueChangesNothing) {
    int saturation = value(ParameterRole::SATURATION);
    int wanted = saturation == 20 ? 21 : 20;
    Reply refused = m_camera.call(
        kImaging, setSettings("<tt:ColorSaturation>" + std::to_string(wanted) +
                              "</tt:ColorSaturation><tt:Sharpness>300</tt:Sharpness>"));
    EXPECT_EQ(400, refused.http.nStatus);
    EXPECT_EQ("env:Sender/ter:InvalidArgVal/ter:SettingsInvalid", refused.faultCode());
    EXPECT_EQ("Sharpness must be between 0 and " +
                  std::to_string(m_camera.image().findByRole(ParameterRole::SHARPNESS)->nMax) +
                  "; 300 refused",
              refused.reason());
    EXPECT_EQ(saturation, value(ParameterRole::SATURATION));

    for (const std::string& bad :
         {std::string("<tt:Sharpness>soft</tt:Sharpness>"),
          std::string("<tt:IrCutFilter>SOMETIMES</tt:IrCutFilter>"),
          std::string("<tt:Exposure><tt:Mode>AUTO</tt:Mode><tt:Priority>LowNoise</tt:Priority>"
                      "</tt:Exposure>"),
          std::string("<tt:Extension><tt:ImageStabilization><tt:Mode>ON</tt:Mode>"
                      "</tt:ImageStabilization></tt:Extension>")}) {
        Reply reply =
            m_camera.call(kImaging, setSettings("<tt:ColorSaturation>" + std::to_string(wanted) +
                                                "</tt:ColorSaturation>" + bad));
        EXPECT_EQ("env:Sender/ter:InvalidArgVal/ter:SettingsInvalid", reply.faultCode()) << bad;
        EXPECT_EQ(saturation, value(ParameterRole::SATURATION)) << bad;
    }
}

TEST_P(OnvifImaging, WhatAClientReadItMayWriteBackUnchanged) {
    Reply before = settings();
    const XmlElement* read = before.find({"timg:ImagingSettings"});
    ASSERT_NE(nullptr, read);
    std::vector<std::pair<int, int> > values = m_camera.image().getAll();
    Reply written = m_camera.call(
        kImaging, withSource("SetImagingSettings", serialise(*read) + "<timg:ForcePersistence>false"
                                                                      "</timg:ForcePersistence>"));
    EXPECT_EQ(200, written.http.nStatus) << written.http.strBody;
    EXPECT_EQ(values, m_camera.image().getAll());
    EXPECT_EQ(before.http.strBody, settings().http.strBody);
}

TEST_P(OnvifImaging, PresetsAreTheParameterSchemes) {
    Reply capabilities = m_camera.call(kImaging, "<timg:GetServiceCapabilities/>", "viewer");
    EXPECT_EQ("true", *capabilities.find({"timg:Capabilities"})->attribute("", "Presets"));
    Reply presets = m_camera.call(kImaging, withSource("GetPresets"), "viewer");
    std::vector<const XmlElement*> listed = presets.body().all(ns::kImaging, "Preset");
    ASSERT_EQ(m_camera.image().schemes().size(), listed.size());
    EXPECT_EQ("scheme-0", *listed[0]->attribute("", "token"));
    EXPECT_EQ("Custom", *listed[0]->attribute("", "type"));
    EXPECT_EQ("Scheme 0 00:00-24:00", listed[0]->child(ns::kImaging, "Name")->trimmedText());

    Reply set = m_camera.call(
        kImaging, withSource("SetCurrentPreset", "<timg:PresetToken>scheme-2</timg:PresetToken>"),
        "operator");
    ASSERT_EQ(200, set.http.nStatus) << set.http.strBody;
    Reply current = m_camera.call(kImaging, withSource("GetCurrentPreset"), "viewer");
    ASSERT_NE(nullptr, current.find({"timg:Preset"})) << current.http.strBody;
    EXPECT_EQ("scheme-2", *current.find({"timg:Preset"})->attribute("", "token"));
    EXPECT_EQ(2, m_camera.image().status().nScheme);

    for (const char* token : {"scheme-9", "scheme-", "2", "scheme-02x"}) {
        Reply unknown = m_camera.call(
            kImaging, withSource("SetCurrentPreset", std::string("<timg:PresetToken>") + token +
                                                         "</timg:PresetToken>"));
        EXPECT_EQ("env:Sender/ter:InvalidArgVal/ter:NoToken", unknown.faultCode()) << token;
    }
    EXPECT_EQ(2, m_camera.image().status().nScheme);
}

TEST_P(OnvifImaging, EveryOperationNamesItsVideoSource) {
    for (const char* operation : {"GetImagingSettings", "GetOptions", "GetMoveOptions", "Stop",
                                  "GetStatus", "GetPresets", "GetCurrentPreset"}) {
        Reply reply = m_camera.call(kImaging, std::string("<timg:") + operation +
                                                  "><timg:VideoSourceToken>VideoSource_2"
                                                  "</timg:VideoSourceToken></timg:" +
                                                  operation + ">");
        EXPECT_EQ(400, reply.http.nStatus) << operation;
        EXPECT_EQ("env:Sender/ter:InvalidArgVal/ter:NoSource", reply.faultCode()) << operation;
    }
}

TEST_P(OnvifImaging, AModuleThatFailsIsTheCamerasFault) {
    // A serial module that stops hearing its line (the host's framing no
    // longer its own); the SoC's ISP refusing the one command.
    auto* module = dynamic_cast<SimLineModule*>(m_camera.host().simulator());
    std::vector<int> line;
    const int kSetSharpness = 1539;  // hi351x's ISP command
    if (module != nullptr) {
        line = module->lineParameters();
        ASSERT_EQ(4u, line.size());
        ASSERT_TRUE(module->setModuleLine(line[0], line[1], line[2], line[3] == 0 ? 2 : 0));
    } else {
        m_camera.host().board().isp().setResult(kSetSharpness, -1);
    }
    int sharpness = value(ParameterRole::SHARPNESS);
    Reply failed = m_camera.call(
        kImaging, setSettings("<tt:Sharpness>" + std::to_string(sharpness == 9 ? 10 : 9) +
                              "</tt:Sharpness>"));
    EXPECT_EQ(500, failed.http.nStatus);
    EXPECT_EQ("env:Receiver/ter:Action", failed.faultCode());
    EXPECT_NE(std::string::npos, failed.reason().find("nothing was changed")) << failed.reason();
    EXPECT_EQ(sharpness, value(ParameterRole::SHARPNESS));
    if (module != nullptr) {
        module->setModuleLine(line[0], line[1], line[2], line[3]);
    } else {
        m_camera.host().board().isp().setResult(kSetSharpness, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Modules, OnvifImaging, testing::Values("hi351x", "fcbev7310"));

TEST(OnvifImagingMap, ExposureAndDayNightBoundaryConvertBothWays) {
    OnvifCamera camera("hi351x");
    ImageService& image = camera.image();
    const ParameterDescriptor* dtn = image.findByRole(ParameterRole::DTN_THRESHOLD);
    const ParameterDescriptor* ntd = image.findByRole(ParameterRole::NTD_THRESHOLD);
    int dtnBefore = 0;
    int ntdBefore = 0;
    ASSERT_TRUE(image.get(dtn->nId, dtnBefore) && image.get(ntd->nId, ntdBefore));
    Reply set = camera.call(
        kImaging,
        setSettings("<tt:Exposure><tt:Mode>MANUAL</tt:Mode><tt:ExposureTime>10</tt:ExposureTime>"
                    "</tt:Exposure><tt:Extension><tt:Extension><tt:IrCutFilterAutoAdjustment>"
                    "<tt:BoundaryType>Common</tt:BoundaryType><tt:BoundaryOffset>-0.5"
                    "</tt:BoundaryOffset><tt:ResponseTime>PT8S</tt:ResponseTime>"
                    "</tt:IrCutFilterAutoAdjustment></tt:Extension></tt:Extension>"));
    ASSERT_EQ(200, set.http.nStatus) << set.http.strBody;
    int dtnAfter = 0;
    int ntdAfter = 0;
    ASSERT_TRUE(image.get(dtn->nId, dtnAfter) && image.get(ntd->nId, ntdAfter));
    EXPECT_EQ(75, dtnAfter);  // -0.5 of 0..100, towards the dark end
    EXPECT_EQ(ntdBefore + (dtnAfter - dtnBefore), ntdAfter) << "the gap is kept";
    int delay = 0;
    ASSERT_TRUE(image.get(image.findByRole(ParameterRole::DAY_NIGHT_DELAY)->nId, delay));
    EXPECT_EQ(8, delay);
    Reply now = camera.call(kImaging, withSource("GetImagingSettings"));
    EXPECT_EQ("MANUAL", now.text({"timg:ImagingSettings", "Exposure", "Mode"}));
    EXPECT_EQ("10", now.text({"timg:ImagingSettings", "Exposure", "ExposureTime"}));
    EXPECT_EQ("-0.5", now.text({"timg:ImagingSettings", "Extension", "Extension",
                                "IrCutFilterAutoAdjustment", "BoundaryOffset"}));
    Reply wrongBoundary = camera.call(
        kImaging,
        setSettings("<tt:Extension><tt:Extension><tt:IrCutFilterAutoAdjustment>"
                    "<tt:BoundaryType>ToOn</tt:BoundaryType></tt:IrCutFilterAutoAdjustment>"
                    "</tt:Extension></tt:Extension>"));
    EXPECT_EQ("env:Sender/ter:InvalidArgVal/ter:SettingsInvalid", wrongBoundary.faultCode());
}

TEST(OnvifImagingFocus, ALensMovesContinuouslyAndReportsItsState) {
    OnvifCamera camera("fcbev7310");
    Reply options = camera.call(kImaging, withSource("GetMoveOptions"), "viewer");
    EXPECT_EQ("-1", options.text({"timg:MoveOptions", "Continuous", "Speed", "Min"}));
    EXPECT_EQ(nullptr, options.find({"timg:MoveOptions", "Absolute"}));

    Reply moved = camera.call(kImaging,
                              withSource("Move",
                                         "<timg:Focus><tt:Continuous><tt:Speed>"
                                         "0.5</tt:Speed></tt:Continuous>"
                                         "</timg:Focus>"),
                              "operator");
    ASSERT_EQ(200, moved.http.nStatus) << moved.http.strBody;
    Reply status = camera.call(kImaging, withSource("GetStatus"), "viewer");
    EXPECT_EQ("MOVING", status.text({"timg:Status", "FocusStatus20", "MoveStatus"}));
    EXPECT_NE("<absent>", status.text({"timg:Status", "FocusStatus20", "Position"}));
    ASSERT_EQ(200, camera.call(kImaging, withSource("Stop"), "operator").http.nStatus);
    status = camera.call(kImaging, withSource("GetStatus"), "viewer");
    EXPECT_EQ("IDLE", status.text({"timg:Status", "FocusStatus20", "MoveStatus"}));

    for (const char* focus : {"<tt:Absolute><tt:Position>3</tt:Position></tt:Absolute>",
                              "<tt:Continuous><tt:Speed>2</tt:Speed></tt:Continuous>",
                              "<tt:Continuous><tt:Speed>fast</tt:Speed></tt:Continuous>", ""}) {
        Reply refused = camera.call(
            kImaging, withSource("Move", std::string("<timg:Focus>") + focus + "</timg:Focus>"));
        EXPECT_EQ("env:Sender/ter:InvalidArgVal/ter:SettingsInvalid", refused.faultCode()) << focus;
    }
    Reply viewer = camera.call(kImaging, withSource("Stop"), "viewer");
    EXPECT_EQ("env:Sender/ter:NotAuthorized", viewer.faultCode());
}

TEST(OnvifImagingFocus, WithoutALensNothingMoves) {
    OnvifCamera camera("hi351x");
    Reply options = camera.call(kImaging, withSource("GetMoveOptions"));
    ASSERT_EQ(200, options.http.nStatus);
    EXPECT_TRUE(options.find({"timg:MoveOptions"})->children.empty());
    Reply status = camera.call(kImaging, withSource("GetStatus"));
    EXPECT_TRUE(status.find({"timg:Status"})->children.empty());
    for (const char* operation : {"Move", "Stop"}) {
        Reply refused = camera.call(
            kImaging,
            withSource(operation, std::string(operation) == "Move"
                                      ? "<timg:Focus><tt:Continuous><tt:Speed>1</tt:Speed>"
                                        "</tt:Continuous></timg:Focus>"
                                      : ""));
        EXPECT_EQ(500, refused.http.nStatus);
        EXPECT_EQ("env:Receiver/ter:ActionNotSupported/ter:NoImagingForSource",
                  refused.faultCode());
    }
}

}  // namespace
