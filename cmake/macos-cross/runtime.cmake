# The C++ runtime of the cross-built bundle: libc++ and libc++abi as static archives, which
# Zig builds from its own sources when it first links a C++ program for the target. A Mac's
# toolchain links the system's libc++.dylib instead; Zig ships no stub of it.
#
# In a project: keelvane_macos_runtime (the target that builds them once per build tree,
# in macos-runtime/) and KEELVANE_MACOS_RUNTIME (what a bundle links: both archives and
# Zig's libSystem stub).
# As a script: cmake -DZIG=<zig> -DOUT=<folder> -DFLAGS=<target flags> -P runtime.cmake
# links a small probe with Zig for that target, its caches in <folder>, and copies the two
# archives out.
if(CMAKE_SCRIPT_MODE_FILE)
  set(cache ${OUT}/zig-cache)
  file(REMOVE_RECURSE ${cache})
  file(WRITE ${OUT}/probe.cpp
       "#include <string>\nint main(int argc, char**) { return static_cast<int>(std::to_string(argc).size()); }\n")
  set(ENV{ZIG_GLOBAL_CACHE_DIR} ${cache})
  set(ENV{ZIG_LOCAL_CACHE_DIR} ${cache})
  message(STATUS "Building libc++ and libc++abi with Zig for ${FLAGS} (a few minutes, once per build tree)")
  execute_process(
    COMMAND ${ZIG} c++ ${FLAGS} -O2 ${OUT}/probe.cpp -o ${OUT}/probe
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Zig could not build libc++ for ${FLAGS} (${status})")
  endif()
  foreach(archive libc++.a libc++abi.a)
    file(GLOB found ${cache}/o/*/${archive})
    list(LENGTH found count)
    if(NOT count EQUAL 1)
      message(FATAL_ERROR "Expected one ${archive} in ${cache}, found ${count}: [${found}]")
    endif()
    file(COPY_FILE ${found} ${OUT}/${archive})
  endforeach()
  file(REMOVE_RECURSE ${cache})
  file(REMOVE ${OUT}/probe ${OUT}/probe.cpp)
  return()
endif()

set(KEELVANE_MACOS_RUNTIME_DIR ${CMAKE_BINARY_DIR}/macos-runtime)
set(KEELVANE_MACOS_RUNTIME
  ${KEELVANE_MACOS_RUNTIME_DIR}/libc++.a
  ${KEELVANE_MACOS_RUNTIME_DIR}/libc++abi.a
  ${KEELVANE_MACOS_LIBSYSTEM})
if(NOT TARGET keelvane_macos_runtime)
  add_custom_command(
    OUTPUT ${KEELVANE_MACOS_RUNTIME_DIR}/libc++.a ${KEELVANE_MACOS_RUNTIME_DIR}/libc++abi.a
    COMMAND ${CMAKE_COMMAND} -DZIG=${KEELVANE_ZIG_DIR}/zig -DOUT=${KEELVANE_MACOS_RUNTIME_DIR}
            "-DFLAGS=${KEELVANE_MACOS_TARGET_FLAGS}" -P ${CMAKE_CURRENT_LIST_FILE}
    DEPENDS ${CMAKE_CURRENT_LIST_FILE} ${CMAKE_TOOLCHAIN_FILE}
    VERBATIM)
  add_custom_target(keelvane_macos_runtime
    DEPENDS ${KEELVANE_MACOS_RUNTIME_DIR}/libc++.a ${KEELVANE_MACOS_RUNTIME_DIR}/libc++abi.a)
endif()
