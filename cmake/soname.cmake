# kelvora_soname(VARIABLE NAME [HINTS dir...]): the versioned name (SONAME) of the system library
# lib<NAME>.so, for the libraries the programs open when first used instead of linking them.
function(kelvora_soname variable name)
    cmake_parse_arguments(S "" "" "HINTS" ${ARGN})
    find_library(kelvora_${name}_file NAMES ${name} HINTS ${S_HINTS} REQUIRED)
    execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${kelvora_${name}_file}
                    OUTPUT_VARIABLE headers ERROR_QUIET)
    if(NOT headers MATCHES "SONAME +([^\n]+)")
        message(FATAL_ERROR "No SONAME in ${kelvora_${name}_file}")
    endif()
    set(${variable} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()
