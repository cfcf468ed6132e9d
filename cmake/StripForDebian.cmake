# Run by CPack on the staged files before it builds the package: strips the
# programs the way Debian's own packages are stripped.
file(GLOB_RECURSE _qb_programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*/bin/*")
if(NOT _qb_programs)
    message(FATAL_ERROR "No programs found to strip in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
foreach(_program IN LISTS _qb_programs)
    execute_process(
        COMMAND ${CPACK_QB_STRIP} --remove-section=.comment --remove-section=.note
                --strip-unneeded ${_program}
        RESULT_VARIABLE _result)
    if(NOT _result EQUAL 0)
        message(FATAL_ERROR "Could not strip ${_program}")
    endif()
endforeach()
