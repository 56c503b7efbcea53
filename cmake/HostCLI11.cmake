# CLI11 is header-only, so a cross build can use the host's copy. Its package file would put
# the host's whole /usr/include on the include path, though, which must never reach the cross
# compiler: the package found here offers only the CLI folder, through a link.
find_path(NEXO_HOST_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT NEXO_HOST_CLI11_INCLUDE)
  message(FATAL_ERROR "CLI11 headers not found on the host (Debian: libcli11-dev)")
endif()
set(dir ${CMAKE_BINARY_DIR}/host-cli11)
file(MAKE_DIRECTORY ${dir}/include)
file(CREATE_LINK ${NEXO_HOST_CLI11_INCLUDE}/CLI ${dir}/include/CLI SYMBOLIC)
file(WRITE ${dir}/CLI11Config.cmake "
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${dir}/include\")
endif()
")
set(CLI11_DIR ${dir} CACHE PATH "CLI11 package folder" FORCE)
