// The REZ4IZA device reservation interface over PX.DLL. Reservations are
// granted at once; what the library really does is switch file-system
// blocking of the drives and translate drive letters into SCSI addresses.
#include <windows.h>

#include "pxclient.h"

namespace {

// Drive letters A to Z: PX.DLL indexes 0 to 25.
const int kLetterIndexes = 26;
const BYTE kNotFound = 0xFF;

PxFunctions g_px;
bool g_bound = false;

const int kOrdinals[] = {PX_CHECK_VERSION, PX_SHUTDOWN,        PX_GET_DEVICE_COUNT, PX_GET_DEVICE,
                         PX_OPEN_HANDLE,   PX_CLOSE_HANDLE,    PX_RESERVED,         PX_GET_DEVICE_TYPE,
                         PX_GET_SENSE,     PX_EXECUTE_COMMAND, PX_GET_DRIVE_LETTER, PX_SET_FILE_SYSTEM_BLOCKING};

bool Bind() {
  if (!g_bound) g_bound = BindPx(g_px, kOrdinals, sizeof kOrdinals / sizeof kOrdinals[0]);
  return g_bound;
}

// The SCSI id holds the target in bits 8 to 15; the target is the PX.DLL
// device identifier.
int TargetOf(int scsiId) { return (scsiId >> 8) & 0xFF; }

int SetBlockingForAllDrives(int on) {
  if (!Bind()) return 0;
  for (int i = 0; i < kLetterIndexes; ++i) {
    int device = g_px.GetDevice(i);
    if (device < 0) continue;
    int letter = g_px.GetDriveLetter(device);
    if (letter < 0 || !IsCdromLetter(letter)) continue;
    g_px.SetFileSystemBlocking(device, on);
  }
  return kLetterIndexes;
}

}  // namespace

extern "C" {

int __stdcall REZ4IZAReserveDevice(int /*scsiId*/, char* /*holderName*/) { return 0; }

int __stdcall REZ4IZAReleaseDevice(int /*scsiId*/) { return 0; }

int __stdcall REZ4IZAStartFileSystemBlocking(int scsiId) {
  return Bind() ? g_px.SetFileSystemBlocking(TargetOf(scsiId), 1) : 0;
}

int __stdcall REZ4IZAEndFileSystemBlocking(int scsiId) {
  return Bind() ? g_px.SetFileSystemBlocking(TargetOf(scsiId), 0) : 0;
}

int __stdcall REZ4IZADisableAutoInsert() { return SetBlockingForAllDrives(1); }

int __stdcall REZ4IZAEnableAutoInsert() { return SetBlockingForAllDrives(0); }

int __cdecl SessMgrGetSCSIIdForDriveLetter(int driveLetter, BYTE* hostAdapter, BYTE* target, BYTE* lun) {
  if (!Bind()) return 0;
  BYTE found[3] = {kNotFound, kNotFound, kNotFound};
  // A later match replaces an earlier one.
  for (int i = 0; i < kLetterIndexes; ++i) {
    int letter = g_px.GetDriveLetter(i);
    if (letter < 0 || !IsCdromLetter(letter)) continue;
    if ((letter & 0xFF) == (driveLetter & 0xFF)) {
      found[0] = 0;
      found[1] = static_cast<BYTE>(i);
      found[2] = 0;
    }
  }
  if (hostAdapter) *hostAdapter = found[0];
  if (target) *target = found[1];
  if (lun) *lun = found[2];
  return 1;
}

}  // extern "C"
