// The few Windows types the portable modules use, so that they compile
// natively as well as for Windows.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>
typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef long LONG;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#ifndef MAX_PATH
#define MAX_PATH 260
#endif
#endif
