# cmake -DCOMPILER=... -DSOURCE_DIR=... -DPROBE_DIR=... -DLAYER=name -DINCLUDES="a|b" -DREACHABLE="x.h|y.h"
#       -DUNREACHABLE="z.h" -P CheckIncludes.cmake
#
# Compiles one-line files the way a layer's own sources are compiled (its include directories):
# every REACHABLE header must compile, every UNREACHABLE one must fail because it is not found.
# Each header must exist in src/, so a failure can only come from the layer's include roots.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" includes "${INCLUDES}")
string(REPLACE "|" ";" reachable "${REACHABLE}")
string(REPLACE "|" ";" unreachable "${UNREACHABLE}")
set(flags -std=c++20 -fsyntax-only -fPIC)
foreach(dir IN LISTS includes)
    list(APPEND flags "-I${dir}")
endforeach()

set(failures "")
foreach(header IN LISTS reachable unreachable)
    if(NOT EXISTS "${SOURCE_DIR}/src/${header}")
        string(APPEND failures "\n  ${header} is not a header of src/: the case proves nothing")
        continue()
    endif()
    string(MAKE_C_IDENTIFIER "${header}" name)
    set(probe "${PROBE_DIR}/${LAYER}_${name}.cpp")
    file(WRITE "${probe}" "#include \"${header}\"\n")
    execute_process(COMMAND ${COMPILER} ${flags} "${probe}" RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
    file(REMOVE "${probe}")
    if(header IN_LIST reachable)
        if(NOT status EQUAL 0)
            string(APPEND failures "\n  ${header} should compile here but does not:\n${errors}")
        endif()
    elseif(status EQUAL 0)
        string(APPEND failures "\n  ${header} compiles here: an upward include would build")
    elseif(NOT errors MATCHES "${header}: No such file")
        string(APPEND failures "\n  ${header} fails for another reason than not being found:\n${errors}")
    endif()
endforeach()
if(failures)
    message(FATAL_ERROR "layer includes:${failures}")
endif()
