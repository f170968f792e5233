# Writes a C++ source holding every file of the board tree, byte for byte
# (some hold zero bytes), so that sensorctl can lay a fresh root without the
# source tree at run time.
# Arguments: BOARD_DIR, OUTPUT.
file(GLOB_RECURSE board_files RELATIVE ${BOARD_DIR} ${BOARD_DIR}/*)
list(SORT board_files)
set(arrays "")
set(entries "")
set(index 0)
foreach(name IN LISTS board_files)
    file(READ ${BOARD_DIR}/${name} hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    string(APPEND arrays "const char kFile${index}[] = {${bytes} 0};\n")
    string(APPEND entries "        {\"/${name}\", std::string(kFile${index}, ${size})},\n")
    math(EXPR index "${index} + 1")
endforeach()
set(body "// Generated from the board/ tree; do not edit.\n#include \"BoardFiles.h\"\n\nnamespace {\n${arrays}}  // namespace\n\n")
string(APPEND body "const std::vector<BoardFile>& boardFiles() {\n")
string(APPEND body "    static const std::vector<BoardFile> s_files = {\n${entries}    };\n    return s_files;\n}\n")
file(WRITE ${OUTPUT}.tmp "${body}")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
