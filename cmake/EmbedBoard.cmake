# Writes a C++ source holding every file of the board tree, so that sensorctl
# can lay a fresh root without needing the source tree at run time.
# Arguments: BOARD_DIR, OUTPUT.
file(GLOB_RECURSE board_files RELATIVE ${BOARD_DIR} ${BOARD_DIR}/*)
list(SORT board_files)
set(body "// Generated from the board/ tree; do not edit.\n#include \"BoardFiles.h\"\n\n")
string(APPEND body "const std::vector<BoardFile>& boardFiles() {\n")
string(APPEND body "    static const std::vector<BoardFile> s_files = {\n")
foreach(name IN LISTS board_files)
    file(READ ${BOARD_DIR}/${name} content)
    string(FIND "${content}" ")board\"" clash)
    if(NOT clash EQUAL -1)
        message(FATAL_ERROR "${name} holds the raw-string delimiter )board\"")
    endif()
    string(APPEND body "        {\"/${name}\", R\"board(${content})board\"},\n")
endforeach()
string(APPEND body "    };\n    return s_files;\n}\n")
file(WRITE ${OUTPUT}.tmp "${body}")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
