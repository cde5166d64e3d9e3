#include "vqreg.h"

#include "flashwiz.h"
#include "logfile.h"
#include "stringtable.h"

namespace {

const DWORD kValueBufferSize = 260;
const size_t kMaxTextArgument = 260;

const char kImageFile[] = "Image File";
const char kProgramDir[] = "ProgramDir";
const char kDeviceId[] = "Device ID";
const char kExternal[] = "External";
const char kProductId[] = "Product ID";
const char kRevision[] = "Revision";
const char kDriveQuantity[] = "Drive Quantity";

const std::string& AppKey() { return AfxGetApp()->m_strRegistryKey; }

// Message 84: operation, the system's text for the error, key or value name.
void ReportError(const char* operation, LONG error, const std::string& subject) {
  char text[260] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  CFlashwizApp* app = static_cast<CFlashwizApp*>(AfxGetApp());
  if (app->m_pLog) app->m_pLog->WriteMessage(84, operation, text, subject.c_str());
}

// An open key, closed when it goes out of scope.
class CSettingsKey {
 public:
  explicit CSettingsKey(const char* operation) : m_operation(operation) {}
  ~CSettingsKey() {
    if (m_key) RegCloseKey(m_key);
  }
  BOOL Open() { return Check(RegOpenKeyExA(HKEY_LOCAL_MACHINE, AppKey().c_str(), 0, KEY_ALL_ACCESS, &m_key), AppKey()); }
  BOOL Create() {
    char className[] = "REG_NONE";
    return Check(RegCreateKeyExA(HKEY_LOCAL_MACHINE, AppKey().c_str(), 0, className,
                                 REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &m_key, nullptr),
                 AppKey());
  }

  BOOL ReadText(const char* name, std::string& text) {
    BYTE buffer[kValueBufferSize];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (!Check(RegQueryValueExA(m_key, name, nullptr, &type, buffer, &size), name)) return FALSE;
    // A value that fills the whole buffer has no room for its terminator.
    size_t length = 0;
    while (length < size && buffer[length]) ++length;
    if (length >= kValueBufferSize) return FALSE;
    text.assign(reinterpret_cast<char*>(buffer), length);
    return TRUE;
  }
  BOOL ReadNumber(const char* name, int& number) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!Check(RegQueryValueExA(m_key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), name))
      return FALSE;
    number = static_cast<int>(value);
    return TRUE;
  }
  BOOL WriteText(const char* name, const std::string& text) {
    std::string value = text.substr(0, kMaxTextArgument);
    return Check(RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1)),
                 name);
  }
  BOOL WriteNumber(const char* name, int number) {
    DWORD value = static_cast<DWORD>(number);
    return Check(RegSetValueExA(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value), name);
  }

 private:
  BOOL Check(LONG result, const std::string& subject) {
    if (result == ERROR_SUCCESS) return TRUE;
    ReportError(m_operation, result, subject);
    return FALSE;
  }

  const char* m_operation;
  HKEY m_key = nullptr;
};

BOOL GetText(const char* operation, const char* name, std::string& text) {
  text.clear();
  CSettingsKey key(operation);
  return key.Open() && key.ReadText(name, text);
}

int GetNumber(const char* operation, const char* name, int fallback) {
  CSettingsKey key(operation);
  int number = fallback;
  if (!key.Open() || !key.ReadNumber(name, number)) return fallback;
  return number;
}

BOOL PutText(const char* operation, const char* name, const std::string& text) {
  CSettingsKey key(operation);
  return key.Create() && key.WriteText(name, text);
}

}  // namespace

BOOL GetFirmwareFileName(std::string& path) { return GetText("GetFirmwareFileName()", kImageFile, path); }
BOOL GetInquiryProductID(std::string& productId) { return GetText("GetInquiryProductID()", kProductId, productId); }
BOOL GetInquiryProductRevision(std::string& revision) {
  return GetText("GetInquiryProductRevision()", kRevision, revision);
}
BOOL GetWorkingDirectory(std::string& directory) { return GetText("GetWorkingDirectory()", kProgramDir, directory); }

int GetVQDriveCount() { return GetNumber("GetVQDriveCount()", kDriveQuantity, -1); }
int GetSelectedDriveIndex() { return GetNumber("GetSelectedDriveIndex()", kDeviceId, -1); }
int GetExternalValue() { return GetNumber("GetExternalValue()", kExternal, 0); }

BOOL PutFirmwareFileName(const std::string& path) { return PutText("PutFirmwareFileName()", kImageFile, path); }
BOOL PutWorkingDirectory(const std::string& directory) {
  return PutText("PutWorkingDirectory()", kProgramDir, directory);
}

BOOL PutVQDriveCount(int count) {
  CSettingsKey key("PutVQDriveCount()");
  return key.Create() && key.WriteNumber(kDriveQuantity, count);
}

BOOL PutDriveInformation(int deviceIndex, int external, const std::string& productId, const std::string& revision) {
  CSettingsKey key("PutDriveInformation()");
  if (!key.Create()) return FALSE;
  // Each value is tried even when an earlier one failed.
  BOOL ok = key.WriteNumber(kDeviceId, deviceIndex);
  ok &= key.WriteNumber(kExternal, external);
  ok &= key.WriteText(kProductId, productId);
  ok &= key.WriteText(kRevision, revision);
  return ok;
}
