// A PX.DLL for the failure paths of the device libraries: it answers with a
// version other than 2 (PX_STUB_VERSION), lacks an ordinal (its export list
// leaves one out), or lists PX_STUB_DEVICES devices of which none is usable.
#ifndef PX_STUB_VERSION
#define PX_STUB_VERSION 2
#endif
#ifndef PX_STUB_DEVICES
#define PX_STUB_DEVICES 0
#endif

extern "C" {
int __cdecl PxCheckVersion(int) { return PX_STUB_VERSION; }
int __cdecl PxShutdown() { return 0; }
int __cdecl PxGetDeviceCount() { return PX_STUB_DEVICES; }
int __cdecl PxGetDevice(int index) { return index >= 0 && index < PX_STUB_DEVICES ? index : -1; }
int __cdecl PxOpenHandle() { return 1; }
int __cdecl PxCloseHandle(int) { return 0; }
int __cdecl PxReserved() { return 0; }
int __cdecl PxGetDeviceType(int) { return -1; }
int __cdecl PxGetDriveLetter(int) { return -1; }
int __cdecl PxGetSense(int, int, int*, unsigned char*) { return -1; }
int __cdecl PxSetFileSystemBlocking(int, int) { return 7; }
int __cdecl PxExecuteCommand(int, int, int, const unsigned char*, int, unsigned char*, int, int) { return -8; }
int __cdecl PxGetDeviceState(int, int) { return -1; }
}
