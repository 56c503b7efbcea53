#include "platform/Resources.h"

#include "resources/StringTable.h"

#include <atomic>

namespace {
std::atomic<const CResourceModule*> gActive{nullptr};
}

void setActiveResources(const CResourceModule* module)
{
    gActive.store(module);
}

const CResourceModule* activeResources()
{
    return gActive.load();
}

std::string loadResourceText(int id)
{
    std::string text;
    if (const CResourceModule* module = gActive.load()) {
        if (!module->loadString(id, text))
            text.clear();
        return text;
    }
    if (const char* builtin = builtinText(id))
        text = builtin;
    return text;
}
