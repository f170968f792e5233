#include "IGPIO.h"
#include "IUARTController.h"

// The interfaces' destructors live here so their type information is
// emitted once, in the library.
IUARTController::~IUARTController() = default;

IGPIO::~IGPIO() = default;
