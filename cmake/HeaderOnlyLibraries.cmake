# The header-only TOML (Debian: libtomlplusplus-dev) and JSON (nlohmann-json3-dev) libraries,
# as the targets nexo_toml and nlohmann_json::nlohmann_json.
#
# A cross build takes the host's headers, as cmake/HostCLI11.cmake does for CLI11: only the
# libraries' own folders, through links, never the host's whole /usr/include.
# toml++ is used in its header-only form, so the programs need none of its shared library.
if(CMAKE_CROSSCOMPILING)
  set(dir ${CMAKE_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${dir}/include)
  foreach(header toml++/toml.h nlohmann/json.hpp)
    string(MAKE_C_IDENTIFIER ${header} var)
    find_path(NEXO_HOST_${var} ${header} PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH)
    if(NOT NEXO_HOST_${var})
      message(FATAL_ERROR "${header} not found on the host (Debian: libtomlplusplus-dev, nlohmann-json3-dev)")
    endif()
    get_filename_component(folder ${header} DIRECTORY)
    file(CREATE_LINK ${NEXO_HOST_${var}}/${folder} ${dir}/include/${folder} SYMBOLIC)
  endforeach()
  set(NEXO_TOML_INCLUDE ${dir}/include)
  if(NOT TARGET nlohmann_json::nlohmann_json)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${dir}/include)
  endif()
else()
  find_package(nlohmann_json 3 REQUIRED)
  find_path(NEXO_TOML_INCLUDE toml++/toml.h REQUIRED)
endif()

add_library(nexo_toml INTERFACE)
target_include_directories(nexo_toml SYSTEM INTERFACE ${NEXO_TOML_INCLUDE})
target_compile_definitions(nexo_toml INTERFACE TOML_HEADER_ONLY=1 TOML_EXCEPTIONS=1)
