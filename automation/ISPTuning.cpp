// Gain- and day/night-dependent ISP tuning of the controller base: loading
// the tuning table and the periodic step that passes changed values on.
#include <cstdio>
#include <cstdlib>

#include "../framework/ISensorController.h"

namespace {

const int kNotFound = -100;

bool isEnabledUnit(const ISPParam& p_table, const char* p_szUnit) {
    bool enabled = false;
    return p_table.getEnableFlag(p_szUnit, enabled) && enabled;
}

}  // namespace

int ISensorController::ISPParamThreadInit() {
    ISPParamParse parser;
    m_pISPParam->clear();
    if (!parser.parse()) {
        ErrorPrintf("objISPParamParse.parse failed");
        return 0;
    }
    parser.getISPParam(*m_pISPParam);
    m_bRealTimeUpdate = parser.getRealTimeUpdate();
    m_nISPDelayTime = parser.getDelayTime();
    return 1;
}

int ISensorController::ISPParamBody() {
    if (m_bRealTimeUpdate) {
        ISPParamThreadInit();
    }
    if (isEnabledUnit(*m_pISPParam, "DN")) {
        setISPParam("DN", m_nDNState);
    }
    if (isEnabledUnit(*m_pISPParam, "GAIN")) {
        int gain = 0;
        if (!getCurrentGain(gain)) {
            ErrorPrintf("get current gain failed\n");
            return 0;
        }
        setISPParam("GAIN", gain);
    }
    OrvaneTime(m_nISPDelayTime, 0).wait();
    return 0;
}

int ISensorController::setISPParam(const std::string& p_strUnit, int p_nInput) {
    if (!setEEParam(p_strUnit, p_nInput)) {
        std::puts("setEEParam failed");
    }
    if (!setDCParam(p_strUnit, p_nInput)) {
        std::puts("setDCParam failed");
    }
    if (!set3DNRParam(p_strUnit, p_nInput)) {
        std::puts("set3DNRParam failed");
    }
    return 1;
}

int ISensorController::setEEParam(const std::string& p_strUnit, int p_nInput) {
    if (m_nSensorType == 4 || m_nSensorType == 5 || m_nSensorType == 6) {
        return 1;
    }
    int value = kNotFound;
    if (m_nTNFMode == 1 && m_nSensorType == 21) {
        value = -1;
    } else {
        m_pISPParam->getParam(p_strUnit, "EE", p_nInput, value);
        if (value == kNotFound) {
            return 1;
        }
    }
    if (value == m_nLastEE) {
        return 1;
    }
    if (value != -1 && value != -2) {
        std::printf("set ee=%d\n", value);
        m_pEE->setEE(value);
    }
    m_nLastEE = value;
    return 1;
}

int ISensorController::setDCParam(const std::string& p_strUnit, int p_nInput) {
    int value = kNotFound;
    if (!m_pISPParam->getParam(p_strUnit, "DC", p_nInput, value) || value == m_nLastDC) {
        return 1;
    }
    std::printf("set DC=%d\n", value);
    m_nLastDC = value;
    return 1;
}

int ISensorController::set3DNRParam(const std::string& p_strUnit, int p_nInput) {
    if (m_nTNFMode == 1 || m_nTNFMode == 2) {
        return 1;
    }
    int a0 = kNotFound;
    if (m_pISPParam->getParam(p_strUnit, "A0", p_nInput, a0) && a0 != m_nLastA0) {
        if (a0 != -1 && m_nLastTM != -1) {
            std::printf("set A0=%d,TM=%d\n", a0, m_nLastTM.load());
        } else {
            std::puts("close TNF");
        }
        m_nLastA0 = a0;
    }
    int tm = kNotFound;
    if (!m_pISPParam->getParam(p_strUnit, "TM", p_nInput, tm) || tm == m_nLastTM) {
        return 1;
    }
    if (m_nLastA0 != -1 && tm != -1) {
        std::printf("set TM=%d,A0=%d\n", tm, m_nLastA0.load());
    } else {
        std::puts("close TNF");
    }
    m_nLastTM = tm;
    return 1;
}

int ISensorController::setTNFMode(int p_nMode) {
    if (p_nMode == 1) {
        m_nLastA0 = -1;
        m_nLastTM = -1;
    } else if (p_nMode == 2) {
        setTNF(m_nTNFValue);
    }
    m_nTNFMode = p_nMode;
    return 1;
}

int ISensorController::getTNFMode(int& p_nMode) {
    bool fixedOff = m_nTNF == 0 || m_nSensorType == 11 || m_nSensorType == 16 ||
                    m_nSensorType == 19 || m_nSensorType == 24;
    p_nMode = fixedOff ? 1 : 0;
    return 1;
}

int ISensorController::setTNF(int p_nValue) {
    if (p_nValue != 0) {
        int strength = ((p_nValue - 1) * 255) / 99;
        std::printf("setTNF=%d\n", std::abs(strength - 255));
    }
    m_nTNFValue = p_nValue;
    return 1;
}

int ISensorController::getTNF(int& p_nValue) {
    if (m_nTNF == 0) {
        p_nValue = 0;
    }
    return 1;
}
