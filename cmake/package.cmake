# The release package of a deliverable: keelvane-<version>-<system>.zip, holding one folder
# keelvane/ as the host expects it (the module file, res/, an empty presets/) and LICENSE,
# nothing else. The same sources give the same bytes: a Windows module is stripped of its
# symbols and debug information (which name the build's paths), every entry has a fixed
# mode and time (SOURCE_DATE_EPOCH, else 2026-01-01), and the entries are in name order.
#
# In a project: keelvane_package_target(<module target> <platform> <system>) adds the target
#   keelvane_package, which writes the zip into KEELVANE_PACKAGE_DIR (default dist/).
# As a script: cmake -DMODULE=<file> -DPLATFORM=macos|windows -DNAME=<zip name without .zip>
#   -DOUT=<folder> [-DSTRIP=<strip>] -P package.cmake
# The module must pass cmake/examine_module.cmake, or no zip is written.
include(${CMAKE_CURRENT_LIST_DIR}/plugin_folder.cmake)
set(KEELVANE_PACKAGE_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

if(NOT CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  set(KEELVANE_PACKAGE_DIR ${CMAKE_SOURCE_DIR}/dist CACHE PATH "Where keelvane_package writes the zip")
  function(keelvane_package_target module platform system)
    set(strip "")
    if(platform STREQUAL "windows")
      set(strip -DSTRIP=${CMAKE_STRIP})
    endif()
    add_custom_target(keelvane_package
      COMMAND ${CMAKE_COMMAND} -DMODULE=$<TARGET_FILE:${module}> -DPLATFORM=${platform}
              -DNAME=keelvane-${PROJECT_VERSION}-${system} -DOUT=${KEELVANE_PACKAGE_DIR} ${strip}
              -P ${KEELVANE_PACKAGE_SCRIPT}
      DEPENDS ${module}
      COMMENT "Packaging keelvane-${PROJECT_VERSION}-${system}.zip"
      VERBATIM)
  endfunction()
  return()
endif()

foreach(var MODULE PLATFORM NAME OUT)
  if(NOT ${var})
    message(FATAL_ERROR "package.cmake: -D${var}=... is missing")
  endif()
endforeach()
find_program(zip zip)
if(NOT zip)
  message(FATAL_ERROR "package.cmake: no zip (Debian: zip; scripts/setup.sh package)")
endif()

# The one time of every entry, and of the stripped DLL's header.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  set(epoch 1767225600)
endif()

set(stage ${OUT}/${NAME}.stage)
set(folder ${stage}/keelvane)
get_filename_component(module_name ${MODULE} NAME)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${folder})

if(STRIP)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch}
                          ${STRIP} --strip-all -o ${folder}/${module_name} ${MODULE}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "package.cmake: ${STRIP} failed on ${MODULE} (${status})")
  endif()
else()
  file(COPY_FILE ${MODULE} ${folder}/${module_name})
endif()
keelvane_fill_plugin_folder(${folder})
file(COPY_FILE ${KEELVANE_RES_DIR}/../LICENSE ${folder}/LICENSE)

execute_process(COMMAND ${CMAKE_COMMAND} -DMODULE=${folder}/${module_name} -DPLATFORM=${PLATFORM}
                        -P ${CMAKE_CURRENT_LIST_DIR}/examine_module.cmake
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "package.cmake: ${module_name} failed its inspection; no package written")
endif()

# Modes and times as a user's unpacking should see them, whoever built it and when.
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${stage} ${folder}/*)
list(APPEND entries keelvane)
list(SORT entries)
set(listing "")
foreach(entry ${entries})
  if(IS_DIRECTORY ${stage}/${entry})
    file(CHMOD ${stage}/${entry} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    string(APPEND listing "${entry}/\n")
  else()
    file(CHMOD ${stage}/${entry} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    string(APPEND listing "${entry}\n")
  endif()
endforeach()
execute_process(COMMAND touch -h -d @${epoch} ${entries} WORKING_DIRECTORY ${stage}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "package.cmake: could not set the entries' times")
endif()

# zip -X leaves out the owner and the access times; TZ=UTC fixes the zip's local times.
set(zip_file ${OUT}/${NAME}.zip)
file(WRITE ${stage}.list "${listing}")
file(REMOVE ${zip_file} ${zip_file}.part)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${zip} -X -9 -q ${zip_file}.part -@
                INPUT_FILE ${stage}.list WORKING_DIRECTORY ${stage} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "package.cmake: zip failed (${status})")
endif()
file(RENAME ${zip_file}.part ${zip_file})
file(REMOVE_RECURSE ${stage} ${stage}.list)
file(SIZE ${zip_file} size)
message(STATUS "Wrote ${zip_file} (${size} bytes)")
