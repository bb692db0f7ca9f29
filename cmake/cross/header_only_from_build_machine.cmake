# Header-only libraries installed for the build machine serve a cross build as well, but
# their package files point at /usr/include, whose C headers must not reach the cross
# compiler. keelvane_header_only(<package> <target> <folder>) links just that folder of
# /usr/include into a private include folder, makes an interface target of it and sets
# <package>_FOUND.
function(keelvane_header_only package target folder)
  set(${package}_FOUND FALSE PARENT_SCOPE)
  if(NOT EXISTS /usr/include/${folder})
    return()
  endif()
  set(include_dir ${CMAKE_BINARY_DIR}/cross-headers/${package})
  file(MAKE_DIRECTORY ${include_dir})
  if(NOT EXISTS ${include_dir}/${folder})
    file(CREATE_LINK /usr/include/${folder} ${include_dir}/${folder} SYMBOLIC)
  endif()
  if(NOT TARGET ${target})
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${include_dir})
  endif()
  set(${package}_FOUND TRUE PARENT_SCOPE)
endfunction()
