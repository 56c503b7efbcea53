#pragma once

#include "resources/StringIds.h"

// The program's own texts (Spanish) by string id, the named lines' included, UTF-8. nullptr
// for an unknown id.
const char* builtinText(int id);
