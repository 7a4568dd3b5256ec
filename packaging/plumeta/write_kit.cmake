# Writes what a vendor's package includes, with the custom actions' names
# taken from the library's table (analytics/custom_action_names.h):
#   cmake -DOUT=DIR -P write_kit.cmake
# DIR gets plumeta_actions.wxi, plumeta_sequence.wxi,
# plumeta_sequence_embedded_ui.wxi, plumeta_actions.sh (the names for the
# scripts), finish_package.sh and example.wxs. The build runs it into
# <build>/packaging/plumeta; build_msi.sh and check_fragment.sh into their
# scratch folders.
cmake_minimum_required(VERSION 3.25)
if(NOT OUT)
  message(FATAL_ERROR "usage: cmake -DOUT=DIR -P write_kit.cmake")
endif()
set(here ${CMAKE_CURRENT_LIST_DIR})
include(${here}/../../analytics/custom_action_names.cmake)
plumeta_read_actions()

set(elements)
set(sequence)
set(embedded_sequence)
set(ends)
set(starts)
set(embedded_starts)
set(previous CostFinalize)
set(previous_embedded CostFinalize)
foreach(name IN LISTS PLUMETA_ACTIONS)
  string(APPEND elements
    "  <CustomAction Id=\"${name}\" BinaryKey=\"PlumetaDll\" DllEntry=\"${name}\"\n"
    "                Execute=\"immediate\" Impersonate=\"yes\" Return=\"ignore\"/>\n")
  set(place ${PLUMETA_PLACE_${name}})
  if(place STREQUAL "start")
    string(APPEND sequence "    <Custom Action=\"${name}\" After=\"${previous}\"/>\n")
    set(previous ${name})
    list(APPEND starts ${name})
    if(PLUMETA_EMBEDDED_${name} STREQUAL "yes")
      string(APPEND embedded_sequence "    <Custom Action=\"${name}\" After=\"${previous_embedded}\"/>\n")
      set(previous_embedded ${name})
      list(APPEND embedded_starts ${name})
    endif()
  else()
    # The ends of the execute sequence: success -1, cancel -2, failure -3.
    set(number_success -1)
    set(number_cancel -2)
    set(number_failure -3)
    string(APPEND ends " \"${name} ${number_${place}}\"")
  endif()
endforeach()
foreach(text elements sequence embedded_sequence)
  string(REGEX REPLACE "\n$" "" ${text} "${${text}}")
endforeach()

file(MAKE_DIRECTORY ${OUT})
set(PLUMETA_CUSTOM_ACTIONS "${elements}")
configure_file(${here}/plumeta_actions.wxi.in ${OUT}/plumeta_actions.wxi @ONLY)
set(PLUMETA_SEQUENCE "${sequence}")
configure_file(${here}/plumeta_sequence.wxi.in ${OUT}/plumeta_sequence.wxi @ONLY)
set(PLUMETA_SEQUENCE "${embedded_sequence}")
configure_file(${here}/plumeta_sequence_embedded_ui.wxi.in ${OUT}/plumeta_sequence_embedded_ui.wxi @ONLY)
list(JOIN PLUMETA_ACTIONS " " all)
list(JOIN starts " " starts)
list(JOIN embedded_starts " " embedded_starts)
file(WRITE ${OUT}/plumeta_actions.sh
  "# plumeta's custom actions, written from the library's table; sourced by finish_package.sh.\n"
  "plumeta_actions=(${all})\n"
  "# Sequenced after CostFinalize in this order; with the embedded UI handler.\n"
  "plumeta_start_actions=(${starts})\n"
  "plumeta_embedded_ui_actions=(${embedded_starts})\n"
  "# The end actions and their places at the ends of the execute sequence.\n"
  "plumeta_end_actions=(${ends} )\n")
file(COPY ${here}/finish_package.sh ${here}/example.wxs DESTINATION ${OUT})
