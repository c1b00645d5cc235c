# A manual page as `man` shows it: groff with every warning on must read it without one, and,
# when HELP_PROGRAM is given, it must name every option that program's --help names.
#   cmake -DMAN_PAGE=page.1 [-DHELP_PROGRAM=program] -P check_man_page.cmake
execute_process(COMMAND groff -ww -man -Tutf8 "${MAN_PAGE}"
    OUTPUT_QUIET ERROR_VARIABLE warnings RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "groff on ${MAN_PAGE} (status ${status}):\n${warnings}")
endif()

if(HELP_PROGRAM)
    execute_process(COMMAND "${HELP_PROGRAM}" --help
        OUTPUT_VARIABLE help RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${HELP_PROGRAM} --help failed (status ${status})")
    endif()
    file(READ "${MAN_PAGE}" page)
    string(REGEX MATCHALL "(^|[ \n])--[a-z][a-z-]*" options "${help}")
    list(REMOVE_DUPLICATES options)
    foreach(option IN LISTS options)
        string(STRIP "${option}" option)
        # roff writes each minus of an option as \-.
        string(REPLACE "-" "\\-" written "${option}")
        string(FIND "${page}" "${written}" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "${MAN_PAGE} does not describe ${option}")
        endif()
    endforeach()
endif()
