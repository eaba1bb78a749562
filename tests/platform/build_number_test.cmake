# cmake -P: the build number script on a checkout, on a folder inside another
# checkout (an unpacked tarball), and with ORLENTA_BUILD given.
unset(ENV{ORLENTA_BUILD})
set(script ${SOURCE_DIR}/cmake/BuildNumber.cmake)
set(out ${WORK_DIR}/BuildNumber.h)
function(number_for source given result)
    file(REMOVE ${out})
    execute_process(COMMAND ${CMAKE_COMMAND} -DORLENTA_BUILD=${given} -DSOURCE_DIR=${source}
                            -DOUTPUT=${out} -P ${script} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "the script failed for ${source}")
    endif()
    file(READ ${out} text)
    string(REGEX REPLACE ".*ORLENTA_BUILD_NUMBER \"([^\"]*)\".*" "\\1" text "${text}")
    set(${result} "${text}" PARENT_SCOPE)
endfunction()

find_program(GIT git)
if(GIT AND EXISTS ${SOURCE_DIR}/.git)
    execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} rev-list --count HEAD
                    OUTPUT_VARIABLE count OUTPUT_STRIP_TRAILING_WHITESPACE)
    number_for(${SOURCE_DIR} "" number)
    if(NOT number STREQUAL count)
        message(FATAL_ERROR "checkout: '${number}', expected the commit count ${count}")
    endif()
endif()

file(MAKE_DIRECTORY ${WORK_DIR}/unpacked)
number_for(${WORK_DIR}/unpacked "" number)
if(NOT number STREQUAL "0")
    message(FATAL_ERROR "a folder inside another checkout took its count: '${number}'")
endif()

number_for(${SOURCE_DIR} "2026.12-3" number)
if(NOT number STREQUAL "2026.12-3")
    message(FATAL_ERROR "ORLENTA_BUILD was not kept: '${number}'")
endif()
