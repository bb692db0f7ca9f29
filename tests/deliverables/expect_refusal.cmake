# cmake -DMODULE=<file> -DPLATFORM=macos|windows -DEXPECT=<regex> -P expect_refusal.cmake
# Passes when cmake/examine_module.cmake fails on the file and names the problem EXPECT
# matches.
execute_process(COMMAND ${CMAKE_COMMAND} -DMODULE=${MODULE} -DPLATFORM=${PLATFORM}
                        -P ${CMAKE_CURRENT_LIST_DIR}/../../cmake/examine_module.cmake
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
string(REPLACE "\n  " " " said "${out}${err}")
if(status EQUAL 0)
  message(FATAL_ERROR "the inspection passed ${MODULE}:\n${said}")
endif()
if(NOT said MATCHES "${EXPECT}")
  message(FATAL_ERROR "the inspection refused ${MODULE}, but not with '${EXPECT}':\n${said}")
endif()
message(STATUS "refused as expected:\n${said}")
