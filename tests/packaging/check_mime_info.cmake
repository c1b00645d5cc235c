# The shared-mime-info files as update-mime-database (package shared-mime-info) builds them into
# a database: no complaint, each file name pattern mapped to its type, and every type opened by
# the desktop entry.
#   cmake -DPACKAGING_DIR=packaging -DWORK_DIR=dir/mime -P check_mime_info.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(GLOB declarations "${PACKAGING_DIR}/loomstead-*.xml")
file(COPY ${declarations} DESTINATION "${WORK_DIR}/packages")
# The database is looked for in <data dir>/mime; naming the parent as the data dir keeps the
# tool from noting that applications would not find it.
get_filename_component(data_dir "${WORK_DIR}" DIRECTORY)
set(ENV{XDG_DATA_HOME} "${data_dir}")
execute_process(COMMAND update-mime-database "${WORK_DIR}"
    OUTPUT_QUIET ERROR_VARIABLE complaints RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT complaints STREQUAL "")
    message(FATAL_ERROR "update-mime-database (status ${status}):\n${complaints}")
endif()

file(READ "${WORK_DIR}/globs2" globs)
file(READ "${PACKAGING_DIR}/loomstead.desktop" entry)
string(REGEX MATCH "\nMimeType=[^\n]*" opens "${entry}")
foreach(expected
        "text/x-loomstead-statistics:*.sta"
        "text/x-loomstead-statistics:*.sim"
        "application/x-loomstead-plan:*.loomplan")
    string(FIND "${globs}" ":${expected}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the database does not map ${expected}:\n${globs}")
    endif()
    string(REGEX REPLACE ":.*" "" type "${expected}")
    string(FIND "${opens}" "=${type};" at)
    if(at EQUAL -1)
        string(FIND "${opens}" ";${type};" at)
    endif()
    if(at EQUAL -1)
        message(FATAL_ERROR "loomstead.desktop does not list ${type}: ${opens}")
    endif()
endforeach()
