// PX.DLL, the device-access library under unitprobe, passlink and lockshim.
// Every function is exported by ordinal only; callers bind them with
// GetProcAddress(module, MAKEINTRESOURCEA(ordinal)).
#pragma once

extern "C" {

enum {
  PX_VERSION = 2,
  PX_COMPLETED = 1,
  PX_CHECK_CONDITION = -10,
  PX_TIMEOUT = -9,
  PX_HOST_FAILURE = -8,
  PX_NO_DATA = 0,
  PX_DATA_IN = 1,
  PX_DATA_OUT = 2,
  PX_SENSE_LENGTH = 16,
};

typedef int(__cdecl* PxCheckVersionFn)(int version);                           // 10
typedef int(__cdecl* PxShutdownFn)(void);                                      // 20
typedef int(__cdecl* PxGetDeviceCountFn)(void);                                // 30
typedef int(__cdecl* PxGetDeviceFn)(int index);                                // 40
typedef int(__cdecl* PxOpenHandleFn)(void);                                    // 50
typedef int(__cdecl* PxCloseHandleFn)(int handle);                             // 60
typedef int(__cdecl* PxReservedFn)(void);                                      // 80
typedef int(__cdecl* PxGetDeviceTypeFn)(int device);                           // 90
typedef int(__cdecl* PxGetDriveLetterFn)(int device);                          // 110
typedef int(__cdecl* PxGetSenseFn)(int handle, int device, int* out, unsigned char* sense);  // 280
typedef int(__cdecl* PxSetFileSystemBlockingFn)(int device, int on);           // 290
typedef int(__cdecl* PxExecuteCommandFn)(int handle, int device, int cdbLength, const unsigned char* cdb,
                                         int dataLength, unsigned char* data, int direction, int timeoutMs);  // 410
typedef int(__cdecl* PxGetDeviceStateFn)(int device, int zero);                // 590
}
