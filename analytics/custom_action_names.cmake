# Reads the custom actions' table, custom_action_names.h, for what cannot
# include it (the .def file, the WiX include files, the scripts):
#   plumeta_read_actions()  sets in the caller's scope
#     PLUMETA_ACTIONS            the seven names in their order
#     PLUMETA_PLACE_<name>       start, success, cancel or failure
#     PLUMETA_EMBEDDED_<name>    yes or no
#     PLUMETA_UI_EXPORTS         the embedded UI handler's three names
set(PLUMETA_ACTION_TABLE ${CMAKE_CURRENT_LIST_DIR}/custom_action_names.h)

function(plumeta_read_actions)
  # Read whole: the rows end in a backslash, which a CMake list would take
  # as an escape of the separator.
  file(READ ${PLUMETA_ACTION_TABLE} table)
  string(REGEX MATCHALL "\n *X\\([^)]*\\)" rows "${table}")
  set(names)
  foreach(row IN LISTS rows)
    if(NOT row MATCHES "^\n *X\\(([A-Za-z]+), (start|success|cancel|failure), (yes|no)\\)")
      message(FATAL_ERROR "custom_action_names.h: cannot read '${row}'")
    endif()
    list(APPEND names ${CMAKE_MATCH_1})
    set(PLUMETA_PLACE_${CMAKE_MATCH_1} ${CMAKE_MATCH_2} PARENT_SCOPE)
    set(PLUMETA_EMBEDDED_${CMAKE_MATCH_1} ${CMAKE_MATCH_3} PARENT_SCOPE)
  endforeach()
  string(REGEX MATCHALL "\n *Y\\([A-Za-z]+\\)" rows "${table}")
  set(ui)
  foreach(row IN LISTS rows)
    string(REGEX REPLACE "^\n *Y\\(([A-Za-z]+)\\).*" "\\1" name "${row}")
    list(APPEND ui ${name})
  endforeach()
  list(LENGTH names count)
  list(LENGTH ui uiCount)
  if(NOT count EQUAL 7 OR NOT uiCount EQUAL 3)
    message(FATAL_ERROR "custom_action_names.h: found ${count} custom actions and ${uiCount} handler exports")
  endif()
  set(PLUMETA_ACTIONS ${names} PARENT_SCOPE)
  set(PLUMETA_UI_EXPORTS ${ui} PARENT_SCOPE)
endfunction()
