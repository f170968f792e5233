#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IT1SENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IT1SENSECONTROLLER_H

#include "IBaseIT1SenseController.h"

/// The IT1 camera module (module id 2): the family's parameters, ids 1-6,
/// 8-19 and 22 (infrared).
class SC_EXPORT IT1SenseController : public IBaseIT1SenseController {
public:
    IT1SenseController();
};

#endif
