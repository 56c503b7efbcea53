#pragma once

#include "platform/Resources.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct CompiledText {
    const char* key;
    const char* text;
};

// The string texts of the language catalogues, compiled into the tool at build time from
// src/resources/lng/*.ts (cmake/GenerateLanguageTable.cmake), so it needs no language files;
// and the texts of a few named keys the tool shows besides (its progress line).
struct CompiledCatalogue {
    const char* file;          // "blang_de", ...: the name in lang::fileTable()
    const char* const* texts;  // UTF-8, by string id - kFirstStringId; nullptr where the catalogue has none
    const CompiledText* named;  // the named keys it has, up to an entry with a null key
};

// Every compiled catalogue (generated).
std::span<const CompiledCatalogue> compiledCatalogues();
// nullptr when no catalogue of that name was compiled in.
const CompiledCatalogue* compiledCatalogue(std::string_view file);
// The text of a named key; nullptr when the catalogue has none.
const char* compiledText(const CompiledCatalogue& catalogue, std::string_view key);

// The catalogue for a language id by the rules of the dialog: the first entry of
// lang::fileTable() holding the id, else the default language's.
const CompiledCatalogue* catalogueForLanguage(uint16_t languageId);

// One compiled catalogue as the core's active resources.
class CCompiledLanguage : public CResourceModule
{
public:
    explicit CCompiledLanguage(const CompiledCatalogue& catalogue) : m_catalogue(catalogue) {}
    bool loadString(int id, std::string& text) const override;
    const CompiledCatalogue& catalogue() const { return m_catalogue; }

private:
    const CompiledCatalogue& m_catalogue;
};
