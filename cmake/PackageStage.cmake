# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the staged files before it makes the package, for
# what Debian's own packaging steps do and CPack does not:
# - the manual pages and the changelog are compressed with `gzip -9n`: the highest compression,
#   and no name or time stamp in the header, so that two builds give the same bytes;
# - the programs, already stripped, also lose the compiler's .comment and .note sections.
# A plain `cmake --install` leaves the files as they are; man reads both forms.
set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT IS_DIRECTORY "${stage}")
    message(FATAL_ERROR "no staged files in ${stage}")
endif()

function(staged_files out)
    set(patterns ${ARGN})
    list(TRANSFORM patterns PREPEND "${stage}/")
    file(GLOB files LIST_DIRECTORIES false ${patterns})
    set(${out} ${files} PARENT_SCOPE)
endfunction()

find_program(gzip_program gzip REQUIRED)
staged_files(documents ${CPACK_PELORIN_COMPRESSED})
foreach(file IN LISTS documents)
    execute_process(COMMAND ${gzip_program} -9nf "${file}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()

staged_files(programs ${CPACK_PELORIN_PROGRAMS})
foreach(program IN LISTS programs)
    execute_process(COMMAND ${CPACK_PELORIN_STRIP} --remove-section=.comment --remove-section=.note
                            "${program}"
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
