#include "IT1SenseController.h"

IT1SenseController::IT1SenseController() : IBaseIT1SenseController(2, {}) {
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 6);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 8, 19);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 22, 22);
}
