# Writes one embedded resource as C++: cmake -DINPUT=file -DOUTPUT=file.cpp
# -DID=number -DSYMBOL=name -P embed_bmp.cmake
foreach(var INPUT OUTPUT ID SYMBOL)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed_bmp.cmake: ${var} is not set")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
if(size EQUAL 0)
  set(bytes "0")  # an array cannot be empty; size stays 0
else()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REPEAT "0x..," 16 line)  # CMake regexes have no {n}
  string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
endif()

get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}" "// Generated from res/${name}; do not edit.
#include \"res/embedded_resources.h\"

namespace corvane_res {
namespace {
constexpr unsigned char kBytes[] = {
${bytes}
};
}  // namespace
extern const EmbeddedResource ${SYMBOL};
const EmbeddedResource ${SYMBOL}{${ID}, kBytes, ${size}};
}  // namespace corvane_res
")
