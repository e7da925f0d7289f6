# kelvora_library(NAME FOLDER): the static library of one folder, named from the folder it is
# called in. Its headers are included by their path from the folder's parent ("run/run_core.h"
# for app/run, "pdf/objects/pdf_name.h" for pdf), so that parent is its include root.
function(kelvora_library name folder)
    get_filename_component(here ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    if(NOT here STREQUAL folder)
        message(FATAL_ERROR "kelvora_library(${name} ${folder}) called in ${CMAKE_CURRENT_SOURCE_DIR}")
    endif()
    get_filename_component(root ${CMAKE_CURRENT_SOURCE_DIR} DIRECTORY)
    file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    add_library(${name} STATIC)
    target_include_directories(${name} PUBLIC ${root})
    set_target_properties(${name} PROPERTIES FOLDER "${path}")
endfunction()
