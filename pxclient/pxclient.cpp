#include "pxclient.h"

namespace {

FARPROC* Slot(PxFunctions& px, int ordinal) {
  switch (ordinal) {
    case PX_CHECK_VERSION: return reinterpret_cast<FARPROC*>(&px.CheckVersion);
    case PX_SHUTDOWN: return reinterpret_cast<FARPROC*>(&px.Shutdown);
    case PX_GET_DEVICE_COUNT: return reinterpret_cast<FARPROC*>(&px.GetDeviceCount);
    case PX_GET_DEVICE: return reinterpret_cast<FARPROC*>(&px.GetDevice);
    case PX_OPEN_HANDLE: return reinterpret_cast<FARPROC*>(&px.OpenHandle);
    case PX_CLOSE_HANDLE: return reinterpret_cast<FARPROC*>(&px.CloseHandle);
    case PX_RESERVED: return reinterpret_cast<FARPROC*>(&px.Reserved);
    case PX_GET_DEVICE_TYPE: return reinterpret_cast<FARPROC*>(&px.GetDeviceType);
    case PX_GET_DRIVE_LETTER: return reinterpret_cast<FARPROC*>(&px.GetDriveLetter);
    case PX_GET_SENSE: return reinterpret_cast<FARPROC*>(&px.GetSense);
    case PX_SET_FILE_SYSTEM_BLOCKING: return reinterpret_cast<FARPROC*>(&px.SetFileSystemBlocking);
    case PX_EXECUTE_COMMAND: return reinterpret_cast<FARPROC*>(&px.ExecuteCommand);
    case PX_GET_DEVICE_STATE: return reinterpret_cast<FARPROC*>(&px.GetDeviceState);
    default: return nullptr;
  }
}

}  // namespace

BOOL BindPx(PxFunctions& px, const int* ordinals, size_t count) {
  HMODULE library = LoadLibraryA("PX.DLL");
  if (!library) return FALSE;
  for (size_t i = 0; i < count; ++i) {
    FARPROC* slot = Slot(px, ordinals[i]);
    if (!slot) return FALSE;
    *slot = GetProcAddress(library, MAKEINTRESOURCEA(ordinals[i]));
    if (!*slot) return FALSE;
  }
  return TRUE;
}

BOOL IsCdromLetter(int letter) {
  char root[3] = {static_cast<char>(letter & 0xFF), ':', '\0'};
  return GetDriveTypeA(root) == DRIVE_CDROM;
}
