#ifndef SENSORCONTROL_FUZZ_MODULELINE_H
#define SENSORCONTROL_FUZZ_MODULELINE_H

// What the module-facing fuzz targets share: the input read as a module's
// side of the serial line, and a driver that runs a controller's own
// exchanges against it, so the code under test is the library's exchange
// code itself, not a copy of its decoding.
//
// A target's input, byte by byte:
//   which module (of the target's list) and which calls (up to three, each
//   an operation byte and two argument bytes) - see driveModule;
//   the line: the most bytes one read returns (0 none, 1-7 as a slow line
//   that gives a few bytes at a time), then length-prefixed answers. The
//   first answer already waits in the line before anything is written
//   (what an earlier exchange left there); each write then releases the
//   next one.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/ISensorController.h"
#include "platform/Clock.h"
#include "sim/SimSerialPort.h"

// The input, taken from the front; 0 once it is used up.
class FuzzBytes {
public:
    FuzzBytes(const uint8_t* p_pData, size_t p_nSize) : m_pData(p_pData), m_nLeft(p_nSize) {}

    int take();
    // Up to p_nCount bytes.
    std::string take(size_t p_nCount);
    size_t left() const { return m_nLeft; }

private:
    const uint8_t* m_pData;
    size_t m_nLeft;
};

// The rest of the input as a scripted port (see the layout above).
SimSerialPort* serveLine(FuzzBytes& p_input);

// Per input: the fuzz root (FuzzRoot.h) and a fresh virtual clock, so every
// wait passes at once and each input starts at the same time.
class FuzzEnvironment {
public:
    FuzzEnvironment();
    ~FuzzEnvironment();
    FuzzEnvironment(const FuzzEnvironment&) = delete;
    FuzzEnvironment& operator=(const FuzzEnvironment&) = delete;

private:
    VirtualClock m_clock;
};

// A controller opened as far as its exchanges need (port index 0, the
// status of a finished init) without starting an init's threads.
template <class Controller>
class Opened : public Controller {
public:
    Opened() {
        this->m_nUARTIndex = 0;
        this->m_SensorStatus = ISensorController::InitSuccess;
    }
    // Owned directly, not through SafePointer: a thread an exchange
    // started stops before any destructor runs.
    ~Opened() override { this->stopThreads(); }
};

// One call into a controller with two argument bytes.
typedef void (*ModuleCall)(ISensorController& p_module, int p_nA, int p_nB);

struct FuzzModule {
    std::unique_ptr<ISensorController> (*pfnCreate)();
    // Calls of its own, after the ones every controller takes.
    std::vector<ModuleCall> calls;
};

template <class Controller>
std::unique_ptr<ISensorController> create() {
    return std::unique_ptr<ISensorController>(new Opened<Controller>());
}

// The serial modules' init (the questions it asks its module), at one of
// the four line rates by p_nA.
void initModule(ISensorController& p_module, int p_nModuleId, int p_nA);
template <int ModuleId>
void init(ISensorController& p_module, int p_nA, int) {
    initModule(p_module, ModuleId, p_nA);
}
// A Keel zoom module's privacy masks, whose frames the module echoes.
void keelMask(ISensorController& p_module, int p_nA, int p_nB);

// Picks the module and its calls from the input, serves it the rest as the
// line and runs the calls. The calls every controller takes are the ones
// that ask the module something or check its acknowledgement: zoom, focus,
// day/night state, gain, IR-cut status, video standard, the init-complete
// notice, a parameter read or write, a picture switch, the version, a lens
// move, the reset frame and a read of every parameter.
void driveModule(const uint8_t* p_pData, size_t p_nSize, const std::vector<FuzzModule>& p_modules);

#endif
