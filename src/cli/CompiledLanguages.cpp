#include "cli/CompiledLanguages.h"

#include "platform/Language.h"
#include "resources/StringIds.h"

const CompiledCatalogue* compiledCatalogue(std::string_view file)
{
    for (const CompiledCatalogue& catalogue : compiledCatalogues())
        if (file == catalogue.file)
            return &catalogue;
    return nullptr;
}

const char* compiledText(const CompiledCatalogue& catalogue, std::string_view key)
{
    for (const CompiledText* t = catalogue.named; t && t->key; ++t)
        if (key == t->key)
            return t->text;
    return nullptr;
}

const CompiledCatalogue* catalogueForLanguage(uint16_t languageId)
{
    const lang::FileEntry* entry = lang::entryFor(languageId);
    if (!entry)
        entry = lang::entryFor(lang::kDefaultLanguageId);
    return entry ? compiledCatalogue(entry->file) : nullptr;
}

bool CCompiledLanguage::loadString(int id, std::string& text) const
{
    if (const char* key = namedStringKey(id)) {
        const char* found = compiledText(m_catalogue, key);
        if (!found)
            return false;
        text = found;
        return true;
    }
    if (id < kFirstStringId || id > kLastStringId)
        return false;
    const char* found = m_catalogue.texts[id - kFirstStringId];
    if (!found)
        return false;
    text = found;
    return true;
}
