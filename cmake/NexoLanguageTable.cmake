# nexo_language_table(OUTPUT file.cpp FUNCTION name CATALOGUES a.ts ... [KEYS key ...]): generates,
# at build time and with CMake alone, the C++ table of the catalogues' string texts, and of the
# texts of the named KEYS, that std::span<const CompiledCatalogue> name() answers (see
# GenerateLanguageTable.cmake).
set(NEXO_LANGUAGE_TABLE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/GenerateLanguageTable.cmake)
# The catalogue reader of both generators (this one and GenerateDialogs.cmake).
set(NEXO_CATALOGUE_READER ${CMAKE_CURRENT_LIST_DIR}/ReadCatalogue.cmake)

function(nexo_language_table)
  cmake_parse_arguments(T "" "OUTPUT;FUNCTION" "CATALOGUES;KEYS" ${ARGN})
  list(JOIN T_CATALOGUES "|" catalogues)
  list(JOIN T_KEYS "|" keys)
  # The range of resources/StringIds.h; the generated code checks that it still is.
  add_custom_command(
    OUTPUT ${T_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DCATALOGUES=${catalogues} -DOUTPUT=${T_OUTPUT} -DFUNCTION=${T_FUNCTION}
            -DFIRST_ID=103 -DLAST_ID=168 -DKEYS=${keys} -P ${NEXO_LANGUAGE_TABLE_SCRIPT}
    DEPENDS ${T_CATALOGUES} ${NEXO_LANGUAGE_TABLE_SCRIPT} ${NEXO_CATALOGUE_READER}
    COMMENT "Generating the language table ${T_FUNCTION}"
    VERBATIM)
endfunction()
