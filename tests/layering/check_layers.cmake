# Fails when a file under src/ includes from a folder at its own layer's level or above, so the
# folders stay a stack without circles. Run as: cmake -DSOURCE_DIR=<src> -P check_layers.cmake
set(layers base os tga catalogue export qt viewer dialogs app)
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(failures "")
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  list(FIND layers "${folder}" own)
  if(own EQUAL -1)
    continue() # main.cpp and the like, above every layer
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^#include \"[^/\"]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([^/\"]+)/.*" "\\1" target "${line}")
    list(FIND layers "${target}" used)
    if(used EQUAL -1 OR (NOT target STREQUAL folder AND used GREATER_EQUAL own))
      string(APPEND failures "  ${source}: ${line}\n")
    endif()
  endforeach()
endforeach()

if(failures)
  message(FATAL_ERROR "Includes from a folder not below the includer (order: ${layers}):\n${failures}")
endif()
