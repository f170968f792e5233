#include "GlobalEnv.h"

GlobalEnv* GlobalEnv::getInstance() {
    static GlobalEnv s_instance;
    return &s_instance;
}
