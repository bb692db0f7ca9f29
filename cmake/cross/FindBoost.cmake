# Boost for a cross build: the build machine's header-only copy (Debian: libboost-dev),
# enough for Boost.Beast and Boost.Asio, which the panel uses.
include(${CMAKE_CURRENT_LIST_DIR}/header_only_from_build_machine.cmake)
keelvane_header_only(Boost Boost::headers boost)
if(Boost_FIND_REQUIRED AND NOT Boost_FOUND)
  message(FATAL_ERROR "Boost not found in /usr/include/boost")
endif()
