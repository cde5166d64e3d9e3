// The string table for native builds, which have no resources.
#include "messages.h"
#include "stringtable.h"

#define VQ_STRING_ENTRY(n) {n, MSG_##n},
const StringTableEntry g_stringTable[] = {FLASHWIZ_MESSAGES(VQ_STRING_ENTRY)};
const unsigned g_stringTableSize = sizeof g_stringTable / sizeof g_stringTable[0];
