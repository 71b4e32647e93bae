# The layers of src/layers.txt as build targets.
#
# trevak_layer(<target> <layer>) makes <target> the build of <layer>: it links
# the targets of the layers the table says it rests on and compiles with an
# include root of its own, a folder in the build tree holding links to the
# layer's own paths only. Every target sees its own root and, through the
# targets it links, the roots below it; so "#include "reports/X.h"" inside the
# engine fails to compile, since no root the engine sees holds reports/.
# Where the file system cannot make links, the targets see all of src/ and
# the test IncludeLayers alone keeps the direction.

set(TREVAK_LAYER_TABLE ${CMAKE_CURRENT_LIST_DIR}/layers.txt)
set(TREVAK_LAYER_ROOTS ${CMAKE_BINARY_DIR}/layers)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TREVAK_LAYER_TABLE})

file(STRINGS ${TREVAK_LAYER_TABLE} trevak_layer_lines)
set(TREVAK_LAYERS "")
foreach(line IN LISTS trevak_layer_lines)
    if(line MATCHES "^[ \t]*(#|$)")
        continue()
    endif()
    if(NOT line MATCHES "^([A-Za-z0-9_-]+)[ \t]+(qt|-)[ \t]+([^:]+):(.*)$")
        message(FATAL_ERROR "${TREVAK_LAYER_TABLE}: cannot read the line \"${line}\"")
    endif()
    set(layer ${CMAKE_MATCH_1})
    set(TREVAK_LAYER_${layer}_QT ${CMAKE_MATCH_2})
    separate_arguments(TREVAK_LAYER_${layer}_PATHS UNIX_COMMAND "${CMAKE_MATCH_3}")
    separate_arguments(TREVAK_LAYER_${layer}_BELOW UNIX_COMMAND "${CMAKE_MATCH_4}")
    list(APPEND TREVAK_LAYERS ${layer})
endforeach()

# The links of every layer's root, made afresh at each configuration.
file(REMOVE_RECURSE ${TREVAK_LAYER_ROOTS})
set(TREVAK_LAYER_LINKS ON)
foreach(layer IN LISTS TREVAK_LAYERS)
    foreach(path IN LISTS TREVAK_LAYER_${layer}_PATHS)
        get_filename_component(parent ${TREVAK_LAYER_ROOTS}/${layer}/${path} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${CMAKE_CURRENT_LIST_DIR}/${path} ${TREVAK_LAYER_ROOTS}/${layer}/${path} SYMBOLIC
             RESULT made)
        if(NOT made EQUAL 0)
            set(TREVAK_LAYER_LINKS OFF)
        endif()
    endforeach()
endforeach()
if(NOT TREVAK_LAYER_LINKS)
    message(STATUS "Layers: links cannot be made here; every target sees src/ and only the test checks includes")
endif()

function(trevak_layer target layer)
    if(NOT layer IN_LIST TREVAK_LAYERS)
        message(FATAL_ERROR "trevak_layer: ${layer} is not a layer of ${TREVAK_LAYER_TABLE}")
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(scope PRIVATE)
    else()
        set(scope PUBLIC)
    endif()
    if(TREVAK_LAYER_LINKS)
        target_include_directories(${target} ${scope} ${TREVAK_LAYER_ROOTS}/${layer})
    else()
        target_include_directories(${target} ${scope} ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
    endif()
    set_property(GLOBAL PROPERTY TREVAK_LAYER_TARGET_${layer} ${target})
    foreach(below IN LISTS TREVAK_LAYER_${layer}_BELOW)
        get_property(below_target GLOBAL PROPERTY TREVAK_LAYER_TARGET_${below})
        if(below_target)
            target_link_libraries(${target} ${scope} ${below_target})
        elseif(TREVAK_CORE_ONLY AND TREVAK_LAYER_${below}_QT STREQUAL "qt")
            # A build without Qt has no Qt layer; what needs one is left out.
        else()
            message(FATAL_ERROR "trevak_layer: ${layer} rests on ${below}, which has no target yet")
        endif()
    endforeach()
endfunction()

# The sources of a layer: the .cpp and .h files directly inside its folders
# (sub-folders are layers or resources of their own) and the files it names,
# less the files another layer names.
function(trevak_layer_sources out layer)
    set(sources "")
    foreach(path IN LISTS TREVAK_LAYER_${layer}_PATHS)
        set(full ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${path})
        if(IS_DIRECTORY ${full})
            file(GLOB found CONFIGURE_DEPENDS ${full}/*.cpp ${full}/*.h)
            list(APPEND sources ${found})
        else()
            list(APPEND sources ${full})
        endif()
    endforeach()
    foreach(other IN LISTS TREVAK_LAYERS)
        if(NOT other STREQUAL layer)
            foreach(path IN LISTS TREVAK_LAYER_${other}_PATHS)
                list(REMOVE_ITEM sources ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${path})
            endforeach()
        endif()
    endforeach()
    set(${out} ${sources} PARENT_SCOPE)
endfunction()
