#include "SensorControllerManager.h"

#include <cstdio>

#include "../controllers/builtin/Hi351xSenseController.h"
#include "../platform/GlobalEnv.h"
#include "NullSenseController.h"

namespace {

bool printing() {
    return GlobalEnv::getInstance()->getPrintFlag();
}

}  // namespace

SafePointer<ISensorController> SenseControllerFactory::create(int p_nModuleId) {
    if (printing()) {
        std::printf("SenseController: SensorType = %d\n", p_nModuleId);
    }
    if (p_nModuleId == 60) {
        return SafePointer<ISensorController>(new Hi351xSenseController());
    }
    return SafePointer<ISensorController>(new NullSenseController());
}

SensorControllerManager::SensorControllerManager() = default;

SensorControllerManager::~SensorControllerManager() {
    m_pSensorController.reset();
    m_pGPIO.reset();
    m_pUART.reset();
}

void SensorControllerManager::setUARTController(const SafePointer<IUARTController>& p_uart) {
    m_pUART = p_uart;
}

void SensorControllerManager::setGPIO(const SafePointer<IGPIO>& p_gpio) {
    m_pGPIO = p_gpio;
}

int SensorControllerManager::init(int p_nVideoSystem, const VideoResolution& p_resolution,
                                  const ModuleConfigure& p_config) {
    int moduleId = p_config.getModuleId();
    // The old controller (if any) goes before the new one is built, so that
    // two background threads never drive one camera.
    m_pSensorController.reset();
    m_pSensorController = SenseControllerFactory::create(moduleId);
    if (moduleId == 0) {
        return 0;
    }
    m_pSensorController->setOperator(m_pUART, m_pGPIO);
    if (!m_pSensorController->init(p_nVideoSystem, p_config, p_resolution)) {
        if (printing()) {
            std::puts("SensorControllerManager::initController error");
        }
        return 0;
    }
    if (m_pGPIO->start() && printing()) {
        std::puts("!!!!!!!!!!!!!!!!!!SensorControllerManager::init successs");
    }
    return 1;
}

SafePointer<ISensorController> SensorControllerManager::getSensorController() {
    return m_pSensorController;
}

int SensorControllerManager::getMirrorValue(int& p_nMirror) {
    if (m_pSensorController.isNull()) {
        if (printing()) {
            std::puts("SensorControllerManager::getMirrorValue:m_pSensorController is NULL");
        }
        return 0;
    }
    return m_pSensorController->getMirrorValue(p_nMirror);
}

int SensorControllerManager::getParameterDescriptor(int p_nId, ParameterDescriptor& p_descriptor) {
    return m_pSensorController.isNull()
               ? 0
               : m_pSensorController->getParameterDescriptor(p_nId, p_descriptor);
}

int SensorControllerManager::getNextParameterDescriptor(int p_nAfter,
                                                        ParameterDescriptor& p_descriptor) {
    return m_pSensorController.isNull()
               ? 0
               : m_pSensorController->getNextParameterDescriptor(p_nAfter, p_descriptor);
}

int SensorControllerManager::getStillImageValue(int& p_nValue) {
    if (m_pSensorController.isNull()) {
        if (printing()) {
            std::puts("SensorControllerManager::getStillImageValue:m_pSensorController is NULL");
        }
        return 0;
    }
    return m_pSensorController->getStillImageValue(p_nValue);
}

int SensorControllerManager::updateSensorVideoSystem(int p_nVideoSystem,
                                                     const VideoResolution& p_resolution) {
    return m_pSensorController->updateSensorVideoSystem(p_nVideoSystem, p_resolution);
}
