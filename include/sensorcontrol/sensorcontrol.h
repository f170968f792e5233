#ifndef SENSORCONTROL_SENSORCONTROL_H
#define SENSORCONTROL_SENSORCONTROL_H

// Everything a host needs from the sensorcontrol library.
#include "config/IdManager.h"
#include "config/SensorCache.h"
#include "config/SensorConfigFile.h"
#include "framework/OVRuntimeError.h"
#include "framework/SafePointer.h"
#include "framework/function.h"
#include "platform/Clock.h"
#include "platform/Devices.h"
#include "platform/DiskManager.h"
#include "platform/Export.h"
#include "platform/GThread.h"
#include "platform/GlobalEnv.h"
#include "platform/ModuleConfigure.h"
#include "platform/ModuleParameterParser.h"
#include "platform/OVDeviceTime.h"
#include "platform/OVFile.h"
#include "platform/OVLogger.h"
#include "platform/OVMutex.h"
#include "platform/OrvaneTime.h"
#include "platform/PlatformRoot.h"
#include "platform/RefCount.h"
#include "platform/SensorParameterParser.h"
#include "platform/Shell.h"
#include "platform/VideoResolution.h"
#include "platform/XmlConfigure.h"

#endif
