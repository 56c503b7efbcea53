// The user's language on POSIX: the locale variables.
#include "platform/Language.h"

#include <cstdlib>

namespace lang {

uint16_t userLanguageId()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return languageIdFromLocale(value);
    }
    // Nothing set: the POSIX locale.
    return kDefaultLanguageId;
}

}  // namespace lang
