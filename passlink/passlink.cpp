// The ASPI for Win32 interface over PX.DLL: one host adapter whose targets
// are the CD-ROM drives that PX.DLL lists, in index order.
#include <windows.h>

#include <cstring>

#include "aspi.h"
#include "pxclient.h"

namespace {

const int kMaxTargets = 16;
const uint8_t kAdapterCount = 1;
const uint8_t kAdapterScsiId = 15;
const uint8_t kCdromDeviceType = 5;

struct DeviceEntry {
  int identifier;
  int state;
};

// Library-wide state, one copy per process.
PxFunctions g_px;
DeviceEntry g_devices[kMaxTargets];
int g_deviceCount = 0;
int g_handle = 0;
bool g_initialised = false;

const int kOrdinals[] = {PX_CHECK_VERSION, PX_SHUTDOWN,        PX_GET_DEVICE_COUNT, PX_GET_DEVICE,
                         PX_OPEN_HANDLE,   PX_CLOSE_HANDLE,    PX_RESERVED,         PX_GET_DEVICE_TYPE,
                         PX_GET_DEVICE_STATE, PX_GET_SENSE,    PX_EXECUTE_COMMAND,  PX_GET_DRIVE_LETTER};

bool Fail() {
  g_px.Shutdown();
  return false;
}

bool Initialise() {
  std::memset(g_devices, 0, sizeof g_devices);
  if (!BindPx(g_px, kOrdinals, sizeof kOrdinals / sizeof kOrdinals[0])) return false;
  if (g_px.CheckVersion(PX_VERSION) != PX_VERSION) return false;
  int count = g_px.GetDeviceCount();
  if (count < 0) return Fail();
  int handle = g_px.OpenHandle();
  if (handle < 0) return Fail();
  g_handle = handle;

  // Only the first drives that fit the table are presented.
  int accepted = 0;
  for (int i = 0; i < count && accepted < kMaxTargets; ++i) {
    DeviceEntry& entry = g_devices[accepted];
    entry.identifier = g_px.GetDevice(i);
    if (entry.identifier < 0) return Fail();
    int letter = g_px.GetDriveLetter(entry.identifier);
    if (letter < 0 || !IsCdromLetter(letter)) continue;
    entry.state = g_px.GetDeviceState(entry.identifier, 0);
    if (entry.state < 0) return Fail();
    ++accepted;
  }
  g_deviceCount = accepted;
  return true;
}

uint8_t HostAdapterInquiry(SRB_HAInquiry* request) {
  request->HA_Count = kAdapterCount;
  request->HA_SCSI_ID = kAdapterScsiId;
  std::memcpy(request->HA_ManagerId, "VQ ASPI LIKE INT", 16);
  std::memcpy(request->HA_Identifier, "Host Adapter    ", 16);
  // Alignment mask, residual byte support, targets, maximum transfer length.
  const uint8_t unique[8] = {0, 0, 0, kMaxTargets, 0x00, 0x00, 0xFF, 0xFF};
  std::memcpy(request->HA_Unique, unique, sizeof unique);
  return SS_COMP;
}

// The checks shared by the device requests; SS_COMP when the target exists.
uint8_t CheckTarget(uint8_t haId, uint8_t target, uint8_t lun) {
  if (haId >= kAdapterCount) return SS_INVALID_HA;
  if (lun != 0 || target >= g_deviceCount) return SS_NO_DEVICE;
  return SS_COMP;
}

uint8_t GetDeviceType(SRB_GDEVBlock* request) {
  uint8_t status = CheckTarget(request->SRB_HaId, request->SRB_Target, request->SRB_Lun);
  if (status != SS_COMP) return status;
  if (g_px.GetDeviceState(g_devices[request->SRB_Target].identifier, 0) < 0) return SS_NO_DEVICE;
  request->SRB_DeviceType = kCdromDeviceType;
  return SS_COMP;
}

int Direction(uint8_t flags) {
  if (flags & SRB_DIR_IN) return PX_DIR_IN;
  if (flags & SRB_DIR_OUT) return PX_DIR_OUT;
  return PX_DIR_NONE;
}

uint8_t ExecuteCommand(SRB_ExecSCSICmd* request) {
  uint8_t status = CheckTarget(request->SRB_HaId, request->SRB_Target, request->SRB_Lun);
  if (status != SS_COMP) return status;
  // A block whose command or data would lie outside what it describes.
  if (request->SRB_CDBLen > sizeof request->CDBByte || (request->SRB_BufLen > 0 && !request->SRB_BufPointer))
    return SS_INVALID_SRB;

  int device = g_devices[request->SRB_Target].identifier;
  int result = g_px.ExecuteCommand(g_handle, device, request->SRB_CDBLen, request->CDBByte,
                                   static_cast<int>(request->SRB_BufLen), request->SRB_BufPointer,
                                   Direction(request->SRB_Flags), PX_COMMAND_TIMEOUT_MS);
  uint8_t hostStatus = HASTAT_OK;
  uint8_t targetStatus = 0;
  status = SS_COMP;
  if (result == PX_CHECK_CONDITION) {
    status = SS_ERR;
    targetStatus = STATUS_CHKCOND;
    int senseLength = request->SRB_SenseLen < SENSE_LEN ? request->SRB_SenseLen : SENSE_LEN;
    if (senseLength > 0) {
      unsigned char sense[16] = {};
      int ignored = 0;
      if (g_px.GetSense(g_handle, device, &ignored, sense) >= 0)
        std::memcpy(request->SenseArea, sense, senseLength);
      else
        hostStatus = HASTAT_REQUEST_SENSE_FAILED;
    }
  } else if (result == PX_TIMEOUT) {
    status = SS_ERR;
    hostStatus = HASTAT_TIMEOUT;
  } else if (result == PX_BUS_RESET) {
    status = SS_ERR;
    hostStatus = HASTAT_BUS_RESET;
  }
  request->SRB_HaStat = hostStatus;
  request->SRB_TargStat = targetStatus;
  return status;
}

}  // namespace

extern "C" {

DWORD __cdecl GetASPI32SupportInfo() {
  if (!g_initialised) {
    if (!Initialise()) return static_cast<DWORD>(SS_NO_ASPI) << 8;
    g_initialised = true;
  }
  return (static_cast<DWORD>(SS_COMP) << 8) | kAdapterCount;
}

DWORD __cdecl SendASPI32Command(void* block) {
  if (!block) return SS_INVALID_SRB;
  SRB_Header* header = static_cast<SRB_Header*>(block);
  uint8_t status;
  switch (header->SRB_Cmd) {
    case SC_HA_INQUIRY: status = HostAdapterInquiry(static_cast<SRB_HAInquiry*>(block)); break;
    case SC_GET_DEV_TYPE: status = GetDeviceType(static_cast<SRB_GDEVBlock*>(block)); break;
    case SC_EXEC_SCSI_CMD: status = ExecuteCommand(static_cast<SRB_ExecSCSICmd*>(block)); break;
    default: status = SS_INVALID_CMD; break;
  }
  header->SRB_Status = status;
  if (header->SRB_Cmd == SC_EXEC_SCSI_CMD && (header->SRB_Flags & SRB_EVENT_NOTIFY)) {
    HANDLE event = static_cast<SRB_ExecSCSICmd*>(block)->SRB_PostProc;
    if (event) SetEvent(event);
  }
  return status;
}

void __cdecl VQASPI_TerminateDLL() {
  if (g_handle != 0) g_px.CloseHandle(g_handle);
  if (g_initialised) g_px.Shutdown();
}

}  // extern "C"
