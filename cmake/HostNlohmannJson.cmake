# nlohmann-json is header-only, so a cross build can use the host's copy. As with CLI11
# (HostCLI11.cmake), its package file would put the host's whole /usr/include on the include
# path; the package found here offers only the nlohmann folder, through a link.
find_path(NEXO_HOST_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT NEXO_HOST_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann-json headers not found on the host (Debian: nlohmann-json3-dev)")
endif()
set(dir ${CMAKE_BINARY_DIR}/host-nlohmann-json)
file(MAKE_DIRECTORY ${dir}/include)
file(CREATE_LINK ${NEXO_HOST_JSON_INCLUDE}/nlohmann ${dir}/include/nlohmann SYMBOLIC)
file(WRITE ${dir}/nlohmann_jsonConfig.cmake "
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${dir}/include\")
endif()
")
set(nlohmann_json_DIR ${dir} CACHE PATH "nlohmann-json package folder" FORCE)
