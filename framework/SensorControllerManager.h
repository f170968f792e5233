#ifndef SENSORCONTROL_FRAMEWORK_SENSORCONTROLLERMANAGER_H
#define SENSORCONTROL_FRAMEWORK_SENSORCONTROLLERMANAGER_H
/// @file
/// SensorControllerManager, the host's entry point, and the controller factory.

#include "../platform/Export.h"
#include "../platform/ModuleConfigure.h"
#include "../platform/VideoResolution.h"
#include "IGPIO.h"
#include "ISensorController.h"
#include "IUARTController.h"
#include "SafePointer.h"

/// Builds the controller for a module id: 60 is the SoC's own sensor
/// (Hi351xSenseController), every other id the NullSenseController. The other
/// controller classes are built by the host itself.
class SC_EXPORT SenseControllerFactory {
public:
    /// A new controller for the module id, not initialised.
    static SafePointer<ISensorController> create(int p_nModuleId);
};

/// The host's entry point: give it the serial port and GPIO, call init with
/// the module configuration, then work with getSensorController().
class SC_EXPORT SensorControllerManager {
public:
    SensorControllerManager();
    /// Releases the controller first, then the GPIO, then the serial port.
    ~SensorControllerManager();
    SensorControllerManager(const SensorControllerManager&) = delete;
    SensorControllerManager& operator=(const SensorControllerManager&) = delete;

    /// The serial port the controller talks through (before init()).
    void setUARTController(const SafePointer<IUARTController>& p_uart);
    /// The GPIO lines the controller drives (before init()).
    void setGPIO(const SafePointer<IGPIO>& p_gpio);
    /// Builds and initialises the controller for the module; a second call
    /// replaces the first controller. Module id 0 installs the Null controller
    /// without wiring or initialising it. Returns the controller's init result
    /// (0 for module id 0).
    int init(int p_nVideoSystem, const VideoResolution& p_resolution,
             const ModuleConfigure& p_config);
    /// A new handle; throws OVRuntimeError before init.
    SafePointer<ISensorController> getSensorController();
    /// The controller's mirror setting; 0 before init.
    int getMirrorValue(int& p_nMirror);
    /// The controller's still-image setting; 0 before init.
    int getStillImageValue(int& p_nValue);
    /// The controller's parameter descriptors (ISensorController's); 0
    /// before init.
    int getParameterDescriptor(int p_nId, ParameterDescriptor& p_descriptor);
    /// The next descriptor in id order
    /// (ISensorController::getNextParameterDescriptor()); 0 before init.
    int getNextParameterDescriptor(int p_nAfter, ParameterDescriptor& p_descriptor);
    /// Tells the controller of a new video system or resolution; 0 before init.
    int updateSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution);

private:
    SafePointer<IUARTController> m_pUART;
    SafePointer<IGPIO> m_pGPIO;
    SafePointer<ISensorController> m_pSensorController;
};

#endif
