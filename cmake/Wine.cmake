# Windows test programs run under Wine: CMAKE_CROSSCOMPILING_EMULATOR is a script
# (generated into the build folder) that runs Wine with a prefix of this build.
# It must be set before the first add_executable.
if(CMAKE_HOST_WIN32)
  return()
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
