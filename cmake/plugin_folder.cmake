# A plug-in folder as the host expects it: the module file, res/ (a copy of the project's
# res/) and an empty presets/.
#
# keelvane_plugin_folder(<target> <folder>): the module target is built into <folder>,
#   which gets a fresh res/ and presets/ after each link.
# keelvane_fill_plugin_folder(<folder>): gives <folder> a fresh copy of res/ and an empty
#   presets/ (for a folder assembled by a script, as the release packages are).
# As a script: cmake -DFOLDER=<folder> -P plugin_folder.cmake does the latter.
set(KEELVANE_PLUGIN_FOLDER_SCRIPT ${CMAKE_CURRENT_LIST_FILE})
get_filename_component(KEELVANE_RES_DIR ${CMAKE_CURRENT_LIST_DIR}/../res ABSOLUTE)

function(keelvane_fill_plugin_folder folder)
  file(REMOVE_RECURSE ${folder}/res)
  file(COPY ${KEELVANE_RES_DIR} DESTINATION ${folder}
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
       DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                             WORLD_READ WORLD_EXECUTE)
  file(MAKE_DIRECTORY ${folder}/presets)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  keelvane_fill_plugin_folder(${FOLDER})
  return()
endif()

function(keelvane_plugin_folder target folder)
  # A changed resource relinks the module, so that the folder's copy follows.
  file(GLOB_RECURSE res_files CONFIGURE_DEPENDS ${KEELVANE_RES_DIR}/*)
  set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${folder})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${res_files})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} -P ${KEELVANE_PLUGIN_FOLDER_SCRIPT}
    VERBATIM)
endfunction()
