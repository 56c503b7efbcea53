// The user's language on Windows: the user's default language id, as the system settings give it.
#include "platform/Language.h"

#include <windows.h>

namespace lang {

uint16_t userLanguageId()
{
    return static_cast<uint16_t>(::GetUserDefaultLangID());
}

}  // namespace lang
