// A host program outside the library's tree: it sees only the installed
// umbrella header and the shared library.
#include <sensorcontrol/sensorcontrol.h>

#include <sys/types.h>

#include <climits>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>

// The package hands a 32-bit host the library's 64-bit file offsets and time.
static_assert(sizeof(off_t) == 8 && sizeof(time_t) == 8, "32-bit off_t or time_t");

int main() {
    SensorCache cache;
    if (!cache.setSensorValues("(1,50)(2,128)")) {
        return 1;
    }
    std::string text;
    cache.getAllSensorValues(text);
    IdManager ids;
    ids.addParameterId(ID_TYPE_COMMON, 1, 2);
    SafePointer<SensorCache> shared(new SensorCache());
    SafePointer<SensorCache> copy(shared);
    try {
        SafePointer<IdManager> empty;
        empty->isIdExist(1);
        return 2;
    } catch (const OVRuntimeError& error) {
        std::printf("caught: %s\n", error.what());
    }
    std::printf("consumer: %s, id 2 type %d\n", text.c_str(), ids.getIdType(2));
    if (text != "(1,50)(2,128)" || ids.getIdType(2) != ID_TYPE_COMMON) {
        return 3;
    }

    // What a host shows of a module before it is even initialised: every
    // parameter the controller describes.
    SafePointer<ISensorController> module(new CMD7200SenseController());
    ParameterDescriptor parameter;
    int described = 0;
    for (int after = INT_MIN; module->getNextParameterDescriptor(after, parameter);
         after = parameter.nId) {
        char values[160];
        parameter.describeValues(values, sizeof(values));
        std::printf("  %3d %-20s %-9s %-12s factory %d, %s\n", parameter.nId, parameter.szName,
                    parameterKindName(parameter.eKind), parameterRoleName(parameter.eRole),
                    parameter.nFactory, values);
        ++described;
    }
    bool bright = module->findParameterByRole(ParameterRole::BRIGHTNESS, parameter) != 0;
    std::printf("consumer: %d parameters described\n", described);
    return described > 5 && bright ? 0 : 4;
}
