# Platform files carry a suffix (_win.cpp, _posix.cpp); this picks the one
# that matches the target so portable bodies never need an #ifdef.
if(WIN32)
  set(VORSANT_PLATFORM_SUFFIX win)
else()
  set(VORSANT_PLATFORM_SUFFIX posix)
endif()

# vorsant_platform_sources(<out-var> <stem>...) appends <stem>_<suffix>.cpp.
function(vorsant_platform_sources out)
  set(list ${${out}})
  foreach(stem IN LISTS ARGN)
    list(APPEND list ${stem}_${VORSANT_PLATFORM_SUFFIX}.cpp)
  endforeach()
  set(${out} ${list} PARENT_SCOPE)
endfunction()
