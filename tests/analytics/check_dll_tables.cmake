cmake_minimum_required(VERSION 3.25)
# Checks plumeta.dll's tables: it exports exactly the ten undecorated names
# the installer calls (the library's table, custom_action_names.h), and imports nothing but the system's own libraries.
# cmake -DDLL=<plumeta.dll> -DOBJDUMP=<objdump> -P check_dll_tables.cmake

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump could not read ${DLL}")
endif()

# Names of the export table: the lines after "[Ordinal/Name Pointer] Table".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)+" names_block "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" name_lines "${names_block}")
set(exported)
foreach(line IN LISTS name_lines)
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${line}")
  string(STRIP "${name}" name)
  list(APPEND exported "${name}")
endforeach()
list(SORT exported)
include(${CMAKE_CURRENT_LIST_DIR}/../../analytics/custom_action_names.cmake)
plumeta_read_actions()
set(expected ${PLUMETA_ACTIONS} ${PLUMETA_UI_EXPORTS})
list(SORT expected)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "exports differ\n  found:    ${exported}\n  expected: ${expected}")
endif()

# Imports: system libraries only, so the library needs nothing beside it.
string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${dump}")
set(allowed advapi32.dll gdi32.dll iphlpapi.dll kernel32.dll msi.dll msvcrt.dll ole32.dll oleaut32.dll
    rpcrt4.dll shell32.dll user32.dll wininet.dll ws2_32.dll)
set(imported)
foreach(line IN LISTS import_lines)
  string(REGEX REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" dll)
  list(APPEND imported ${dll})
  if(NOT dll IN_LIST allowed)
    message(FATAL_ERROR "imports ${dll}, which is not a system library")
  endif()
endforeach()
foreach(needed msi.dll wininet.dll iphlpapi.dll)
  if(NOT needed IN_LIST imported)
    message(FATAL_ERROR "does not import ${needed}")
  endif()
endforeach()
message(STATUS "exports: ${exported}")
message(STATUS "imports: ${imported}")
