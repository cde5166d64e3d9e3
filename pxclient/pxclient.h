// The callers' side of PX.DLL: its functions, taken by ordinal from the
// library loaded by its file name. The three device libraries share this.
#pragma once

#include <windows.h>

#include <cstddef>

enum PxOrdinal {
  PX_CHECK_VERSION = 10,
  PX_SHUTDOWN = 20,
  PX_GET_DEVICE_COUNT = 30,
  PX_GET_DEVICE = 40,
  PX_OPEN_HANDLE = 50,
  PX_CLOSE_HANDLE = 60,
  PX_RESERVED = 80,
  PX_GET_DEVICE_TYPE = 90,
  PX_GET_DRIVE_LETTER = 110,
  PX_GET_SENSE = 280,
  PX_SET_FILE_SYSTEM_BLOCKING = 290,
  PX_EXECUTE_COMMAND = 410,
  PX_GET_DEVICE_STATE = 590,
};

// The version the callers ask for and require back.
const int PX_VERSION = 2;

// Results of PxExecuteCommand.
const int PX_COMPLETED = 1;
const int PX_CHECK_CONDITION = -10;
const int PX_TIMEOUT = -9;
const int PX_BUS_RESET = -8;

// Directions of PxExecuteCommand.
const int PX_DIR_NONE = 0;
const int PX_DIR_IN = 1;
const int PX_DIR_OUT = 2;

// Every command gets 30 minutes.
const int PX_COMMAND_TIMEOUT_MS = 1800000;

struct PxFunctions {
  int(__cdecl* CheckVersion)(int version);
  int(__cdecl* Shutdown)();
  int(__cdecl* GetDeviceCount)();
  int(__cdecl* GetDevice)(int index);
  int(__cdecl* OpenHandle)();
  int(__cdecl* CloseHandle)(int handle);
  int(__cdecl* Reserved)();
  int(__cdecl* GetDeviceType)(int device);
  int(__cdecl* GetDriveLetter)(int device);
  int(__cdecl* GetSense)(int handle, int device, int* out, unsigned char sense[16]);
  int(__cdecl* SetFileSystemBlocking)(int device, int on);
  int(__cdecl* ExecuteCommand)(int handle, int device, int cdbLength, const unsigned char* cdb, int dataLength,
                                unsigned char* data, int direction, int timeoutMs);
  int(__cdecl* GetDeviceState)(int device, int zero);
};

// Loads "PX.DLL" (never unloaded) and binds the ordinals in the order given.
// FALSE when the file or any of them is missing.
BOOL BindPx(PxFunctions& px, const int* ordinals, size_t count);

// TRUE when Windows reports the drive letter in the low byte of a
// PxGetDriveLetter result as a CD-ROM drive.
BOOL IsCdromLetter(int letter);
