# Installs the build into a scratch prefix and builds a program outside the
# tree against it, once through the CMake package and once through pkg-config.
# Arguments: BUILD_DIR, SOURCE_DIR, WORK_DIR, CXX, CXX_FLAGS, and for a
# cross build TOOLCHAIN_FILE and EMULATOR (the programs run under it).

function(run_checked)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
    endif()
    set(LAST_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run_checked(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The umbrella header must include every installed header.
set(include_root ${prefix}/include/sensorcontrol)
file(READ ${include_root}/sensorcontrol.h umbrella)
file(GLOB_RECURSE headers RELATIVE ${include_root} ${include_root}/*/*.h)
foreach(header IN LISTS headers)
    string(FIND "${umbrella}" "#include \"${header}\"" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "sensorcontrol.h does not include ${header}")
    endif()
endforeach()

# Through the CMake package.
set(toolchain)
if(TOOLCHAIN_FILE)
    set(toolchain -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE})
endif()
run_checked(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer -B ${WORK_DIR}/cmake-build
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    ${toolchain})
run_checked(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-build)
run_checked(${EMULATOR} ${WORK_DIR}/cmake-build/consumer)
message(STATUS "CMake package consumer: ${LAST_OUTPUT}")

# Through pkg-config.
file(GLOB pc_file ${prefix}/lib*/pkgconfig/sensorcontrol.pc ${prefix}/lib*/*/pkgconfig/sensorcontrol.pc)
if(NOT pc_file)
    message(FATAL_ERROR "sensorcontrol.pc was not installed")
endif()
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
run_checked(pkg-config --cflags --libs sensorcontrol)
string(STRIP "${LAST_OUTPUT}" pc_flags)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(extra_flags UNIX_COMMAND "${CXX_FLAGS}")
run_checked(${CXX} -std=c++17 ${extra_flags} ${SOURCE_DIR}/tests/install/consumer/main.cpp
    ${pc_flags} -o ${WORK_DIR}/pkgconfig-consumer)
get_filename_component(lib_dir ${pc_dir} DIRECTORY)
set(ENV{LD_LIBRARY_PATH} ${lib_dir})
run_checked(${EMULATOR} ${WORK_DIR}/pkgconfig-consumer)
message(STATUS "pkg-config consumer: ${LAST_OUTPUT}")
