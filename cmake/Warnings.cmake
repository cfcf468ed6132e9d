# Warning flags shared by every target of the project; QB_WERROR makes them errors.
function(qb_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion)
    if(QB_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
