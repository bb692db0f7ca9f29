# Bundles of the macOS cross build are linked by Debian's ld64.lld itself, so LINKER:
# options reach it as they are. ld64.lld signs arm64 output ad hoc by default; the flag
# says so all the same, as arm64 macOS loads no unsigned code. -S leaves out the debug map,
# which would name the build's object files.
set(CMAKE_CXX_LINKER_WRAPPER_FLAG "")
set(CMAKE_CXX_CREATE_SHARED_MODULE
    "${KEELVANE_LD64} -arch arm64 -platform_version macos ${CMAKE_OSX_DEPLOYMENT_TARGET} ${CMAKE_OSX_DEPLOYMENT_TARGET} -bundle -adhoc_codesign -S <LINK_FLAGS> -o <TARGET> <OBJECTS> <LINK_LIBRARIES>")
