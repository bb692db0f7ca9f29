# cmake -DMODULE=<file> -DPLATFORM=<platform> -DSYSTEM=<system> -DVERSION=<version>
#       [-DSTRIP=<strip>] -DSCRATCH=<folder> -DBINARY_DIR=<build tree> -P check_package.cmake
# Packages the module twice, two seconds and one time zone apart, and fails unless both
# zips have the same bytes and hold exactly keelvane/ with the module, LICENSE, the
# project's res/ and an empty presets/, with fixed modes and times, no owner, and no file
# that names the build's folders.
get_filename_component(source_dir ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
set(name keelvane-${VERSION}-${SYSTEM})
file(REMOVE_RECURSE ${SCRATCH})

function(package out tz)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=SOURCE_DATE_EPOCH TZ=${tz}
            ${CMAKE_COMMAND} -DMODULE=${MODULE} -DPLATFORM=${PLATFORM} -DNAME=${name}
            -DOUT=${SCRATCH}/${out} -DSTRIP=${STRIP} -P ${source_dir}/cmake/package.cmake
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "packaging ${MODULE} failed")
  endif()
endfunction()
package(first UTC)
execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 2)
package(second Pacific/Auckland)
set(zip ${SCRATCH}/first/${name}.zip)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${zip} ${SCRATCH}/second/${name}.zip
                RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "two packages of the same module differ: ${zip}")
endif()

# No entry carries the builder's owner or access time (Info-ZIP's extra fields).
execute_process(COMMAND unzip -Zv ${zip} OUTPUT_VARIABLE details)
if(details MATCHES "extra field contains")
  message(FATAL_ERROR "${zip} has entries with extra fields (owner, times):\n${details}")
endif()

# What it must hold: the module, LICENSE, presets/ and the project's res/, each once.
get_filename_component(module_name ${MODULE} NAME)
file(GLOB_RECURSE res LIST_DIRECTORIES true RELATIVE ${source_dir} ${source_dir}/res/*)
set(expected "d keelvane/" "f keelvane/${module_name}" "f keelvane/LICENSE" "d keelvane/presets/"
             "d keelvane/res/")
foreach(entry ${res})
  if(IS_DIRECTORY ${source_dir}/${entry})
    list(APPEND expected "d keelvane/${entry}/")
  else()
    list(APPEND expected "f keelvane/${entry}")
  endif()
endforeach()
list(SORT expected)

# zipinfo's lines: mode, version, system, size, kind, method, date, time, name.
execute_process(COMMAND unzip -Z ${zip} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "unzip -Z cannot list ${zip}")
endif()
string(REGEX MATCHALL "\n[-d][^\n]+" lines "${listing}")
set(found "")
foreach(line ${lines})
  if(NOT line MATCHES "^\n([-d])([-rwx]+) +[^ ]+ unx +[0-9]+ [^ ]+ [^ ]+ ([^ ]+ [^ ]+) (.+)$")
    message(FATAL_ERROR "unexpected entry line: ${line}")
  endif()
  set(kind ${CMAKE_MATCH_1})
  set(mode ${CMAKE_MATCH_2})
  set(time "${CMAKE_MATCH_3}")
  set(entry "${CMAKE_MATCH_4}")
  if(kind STREQUAL "d" AND NOT mode STREQUAL "rwxr-xr-x" OR kind STREQUAL "-" AND NOT mode STREQUAL "rw-r--r--")
    message(FATAL_ERROR "${entry} has mode ${kind}${mode}")
  endif()
  if(NOT time STREQUAL "26-Jan-01 00:00")
    message(FATAL_ERROR "${entry} has the time ${time}, not the fixed one")
  endif()
  if(kind STREQUAL "-")
    list(APPEND found "f ${entry}")
  else()
    list(APPEND found "d ${entry}")
  endif()
endforeach()
list(SORT found)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "${zip} holds\n  [${found}]\nnot\n  [${expected}]")
endif()

# No file names the folders it was built in.
file(ARCHIVE_EXTRACT INPUT ${zip} DESTINATION ${SCRATCH}/unpacked)
file(GLOB_RECURSE files ${SCRATCH}/unpacked/*)
foreach(file ${files})
  foreach(path ${source_dir} ${BINARY_DIR})
    string(REGEX REPLACE "([][+.*()^$?|\\])" "\\\\\\1" pattern "${path}")
    file(STRINGS ${file} mentions REGEX "${pattern}")
    if(mentions)
      message(FATAL_ERROR "${file} names ${path}: ${mentions}")
    endif()
  endforeach()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
message(STATUS "${name}.zip: ${found}")
