# cmake -DOBJDUMP=<objdump> -DPROGRAM=<program.exe> -P CheckSystemImports.cmake
#
# Fails when a Windows program imports a DLL other than those Windows ships
# itself, such as libstdc++-6.dll, libgcc_s_seh-1.dll, libwinpthread-1.dll or
# zlib1.dll: the programs are linked statically so that they run alone.
cmake_minimum_required(VERSION 3.22)

set(_system_dlls
    advapi32 bcrypt comctl32 comdlg32 crypt32 dwmapi gdi32 imm32 kernel32 msvcrt ntdll
    ole32 oleaut32 rpcrt4 secur32 shcore shell32 shlwapi ucrtbase user32 uxtheme version
    winmm ws2_32)

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM}
                OUTPUT_VARIABLE _dump RESULT_VARIABLE _result)
if(NOT _result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} could not read ${PROGRAM}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" _imports "${_dump}")
if(NOT _imports)
    message(FATAL_ERROR "${PROGRAM} lists no imported DLLs: not a Windows program?")
endif()
set(_foreign "")
foreach(_import IN LISTS _imports)
    string(REGEX REPLACE "^DLL Name: *" "" _dll "${_import}")
    string(STRIP "${_dll}" _dll)
    string(TOLOWER "${_dll}" _name)
    string(REGEX REPLACE "\\.dll$" "" _name "${_name}")
    if(NOT _name IN_LIST _system_dlls AND NOT _name MATCHES "^api-ms-win-")
        list(APPEND _foreign ${_dll})
    endif()
    message(STATUS "imports ${_dll}")
endforeach()
if(_foreign)
    list(JOIN _foreign ", " _foreign)
    message(FATAL_ERROR "${PROGRAM} needs DLLs Windows does not ship: ${_foreign}")
endif()
