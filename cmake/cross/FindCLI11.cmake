# CLI11 for a cross build: the build machine's header-only copy (Debian: libcli11-dev).
include(${CMAKE_CURRENT_LIST_DIR}/header_only_from_build_machine.cmake)
keelvane_header_only(CLI11 CLI11::CLI11 CLI)
if(CLI11_FIND_REQUIRED AND NOT CLI11_FOUND)
  message(FATAL_ERROR "CLI11 not found in /usr/include/CLI")
endif()
