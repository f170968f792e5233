#ifndef SENSORCONTROL_SIM_REGISTER_SIMIT1MODULE_H
#define SENSORCONTROL_SIM_REGISTER_SIMIT1MODULE_H

#include <string>
#include <vector>

#include "SimCountedModule.h"

// An IT1 camera module: 16-bit register addresses, reads and writes of one
// or two bytes (SimCountedModule has the frames). The registers the IT1
// controllers use start at the module's power-on values; 0x1413 reports the
// scene (1 day, 0 night); 0x0101 bit 6 is the black-and-white picture.
// The zoom member's lens sits on a second line: the VISCA frames written to
// it are kept (no answers).
class SimIT1Module : public SimCountedModule {
public:
    SimIT1Module();

    bool blackAndWhite();
    std::vector<std::string> lensFrames();

protected:
    bool computed(int p_nAddress, int p_nCount, std::string& p_strData) override;
    bool takesCount(bool p_bRead, int p_nCount) override;
    void takeOtherLine(int p_nIndex, const std::string& p_strBytes) override;

private:
    std::string m_strLensInput;
    std::vector<std::string> m_lensFrames;
};

#endif
