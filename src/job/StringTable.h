#pragma once

// The program's own texts (Spanish), ids 103 to 168, UTF-8. nullptr for an unknown id.
const char* builtinText(int id);

constexpr int kFirstStringId = 103;
constexpr int kLastStringId = 168;
