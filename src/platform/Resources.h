#pragma once

#include <string>

// The active resources: where the texts of the string table come from. The program's own
// (Spanish) table is active until a language module is selected; the language module then
// answers every lookup, so a missing id gives the empty text.
class CResourceModule
{
public:
    virtual ~CResourceModule() = default;
    // True with the text (UTF-8) when the module holds the id.
    virtual bool loadString(int id, std::string& text) const = 0;
};

// nullptr makes the built-in table active again. The module is not owned.
void setActiveResources(const CResourceModule* module);
const CResourceModule* activeResources();

// The text of a string id from the active resources; empty when the id is missing.
std::string loadResourceText(int id);
