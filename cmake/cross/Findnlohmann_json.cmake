# nlohmann_json for a cross build: the build machine's header-only copy (Debian:
# nlohmann-json3-dev).
include(${CMAKE_CURRENT_LIST_DIR}/header_only_from_build_machine.cmake)
keelvane_header_only(nlohmann_json nlohmann_json::nlohmann_json nlohmann)
if(nlohmann_json_FIND_REQUIRED AND NOT nlohmann_json_FOUND)
  message(FATAL_ERROR "nlohmann_json not found in /usr/include/nlohmann")
endif()
