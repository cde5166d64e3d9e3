// Reports the maker's drives that PX.DLL lists, one 40-byte record each,
// from their standard INQUIRY data.
#include <windows.h>

#include <cstring>

#include "pxclient.h"

namespace {

const unsigned kRecordSize = 40;
const int kInquiryLength = 56;
const unsigned char kInquiry[6] = {0x12, 0, 0, 0, kInquiryLength, 0};
const char kVendor[] = "VQ      ";

// Where the fields lie in the INQUIRY data and in the record.
const int kInquiryVendor = 8, kInquiryProduct = 16, kInquiryRevision = 32, kInquirySerial = 46;
const int kRecordVendor = 0, kRecordProduct = 8, kRecordSerial = 24, kRecordLetter = 34, kRecordSpare = 35,
          kRecordRevision = 36;

PxFunctions g_px;
bool g_bound = false;
int g_deviceCount = 0;
int g_handle = 0;

const int kOrdinals[] = {PX_CHECK_VERSION, PX_SHUTDOWN,        PX_GET_DEVICE_COUNT, PX_GET_DEVICE,
                         PX_OPEN_HANDLE,   PX_CLOSE_HANDLE,    PX_RESERVED,         PX_GET_DEVICE_TYPE,
                         PX_GET_DEVICE_STATE, PX_GET_SENSE,    PX_EXECUTE_COMMAND,  PX_GET_DRIVE_LETTER};

bool IsOpticalType(int type) { return type >= 4 && type <= 7; }

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

void FillRecord(unsigned char* record, const unsigned char* inquiry, int letter) {
  std::memcpy(record + kRecordVendor, inquiry + kInquiryVendor, 8);
  std::memcpy(record + kRecordProduct, inquiry + kInquiryProduct, 16);
  if (IsLetter(inquiry[kInquirySerial]) && IsLetter(inquiry[kInquirySerial + 1]))
    std::memcpy(record + kRecordSerial, inquiry + kInquirySerial, 10);
  else
    std::memset(record + kRecordSerial, ' ', 10);
  record[kRecordLetter] = letter < 0 ? '?' : static_cast<unsigned char>(letter & 0xFF);
  record[kRecordSpare] = 0;
  std::memcpy(record + kRecordRevision, inquiry + kInquiryRevision, 4);
}

}  // namespace

extern "C" {

int __cdecl CDWRITER_Initialize() {
  if (!BindPx(g_px, kOrdinals, sizeof kOrdinals / sizeof kOrdinals[0])) return 0;
  if (g_px.CheckVersion(PX_VERSION) != PX_VERSION) return 0;
  g_deviceCount = g_px.GetDeviceCount();
  g_handle = g_px.OpenHandle();
  if (g_deviceCount < 0 || g_handle < 0) {
    g_px.Shutdown();
    return 0;
  }
  g_bound = true;
  return 1;
}

int __cdecl CDWRITER_GetInfo(unsigned char* buffer, unsigned length) {
  if (!g_bound || !buffer) return 0;
  unsigned long long capacity = g_deviceCount;
  if (length < capacity * kRecordSize) capacity = length / kRecordSize;
  if (capacity == 0) return 0;

  int written = 0;
  for (int i = 0; i < g_deviceCount; ++i) {
    int device = g_px.GetDevice(i);
    if (!IsOpticalType(g_px.GetDeviceType(device))) continue;
    if (g_px.GetDeviceState(device, 0) < 0) return 0;
    unsigned char inquiry[kInquiryLength] = {};
    if (g_px.ExecuteCommand(g_handle, device, sizeof kInquiry, kInquiry, kInquiryLength, inquiry, PX_DIR_IN,
                            PX_COMMAND_TIMEOUT_MS) != PX_COMPLETED)
      continue;
    if (std::memcmp(inquiry + kInquiryVendor, kVendor, 8) != 0) continue;
    FillRecord(buffer + written * kRecordSize, inquiry, g_px.GetDriveLetter(device));
    ++written;
    if (--capacity == 0) break;
  }
  return written;
}

int __cdecl CDWRITER_Terminate() {
  if (!g_bound) return 0;
  if (g_handle != 0) g_px.CloseHandle(g_handle);
  g_px.Shutdown();
  g_bound = false;
  return 1;
}

}  // extern "C"
