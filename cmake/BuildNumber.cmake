# Run at build time (cmake -P): writes OUTPUT, a header defining
# ORLENTA_BUILD_NUMBER. The number is ORLENTA_BUILD when given (on the cmake
# command line or in the environment: reproducible builds), else the commit
# count of the source checkout, else 0 (a source tree outside git).
# The file is rewritten only when the number changes, so nothing recompiles
# needlessly.
set(number "${ORLENTA_BUILD}")
if(number STREQUAL "" AND DEFINED ENV{ORLENTA_BUILD})
    set(number "$ENV{ORLENTA_BUILD}")
endif()
if(number STREQUAL "")
    find_program(GIT git)
    if(GIT)
        # Only the checkout the sources are the top of: an unpacked tarball
        # inside some other repository must not take that repository's count.
        execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" rev-parse --show-toplevel
                        OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE
                        RESULT_VARIABLE failed ERROR_QUIET)
        if(NOT failed)
            file(REAL_PATH "${top}" top)
            file(REAL_PATH "${SOURCE_DIR}" source)
        endif()
        if(NOT failed AND top STREQUAL source)
            execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" rev-list --count HEAD
                            OUTPUT_VARIABLE number OUTPUT_STRIP_TRAILING_WHITESPACE
                            RESULT_VARIABLE failed ERROR_QUIET)
            if(failed)
                set(number "")
            endif()
        endif()
    endif()
endif()
if(number STREQUAL "")
    set(number 0)
endif()
if(NOT number MATCHES "^[A-Za-z0-9._+-]+$")
    message(FATAL_ERROR "ORLENTA_BUILD must be letters, digits and . _ + - only: '${number}'")
endif()
set(text "#pragma once\n#define ORLENTA_BUILD_NUMBER \"${number}\"\n")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
    file(WRITE "${OUTPUT}" "${text}")
endif()
