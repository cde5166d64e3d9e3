// Base of the firmware image formats: an image file kept open read-only with
// writing by others denied, read and checked once when it is constructed.
#pragma once

#include <string>

#include "file.h"
#include "inquirystring.h"
#include "logfile.h"
#include "platform.h"

// Identity blocks are found by their vendor text.
constexpr char kVendorSignature[] = "VQ      ";
constexpr size_t kVendorLength = 8;
constexpr size_t kProductLength = 16;
constexpr size_t kRevisionLength = 4;
constexpr size_t kIdentityLength = kVendorLength + kProductLength + kRevisionLength;

class CFirmwareFile : public CFile {
 public:
  CFirmwareFile();
  ~CFirmwareFile() override;

  virtual BOOL IsForDrive(const CInquiryString& drive);
  virtual BOOL IsValid() { return m_bValid; }
  virtual void Load() = 0;
  void Close() override;

  // Closes and opens the file again in the same mode; TRUE when it is open.
  BOOL Reopen(const std::string& fileName);
  CInquiryString& GetIdentity() { return m_identity; }
  // Why the constructor could not open the file (m_cause none when it could).
  const CFileException& GetOpenError() const { return m_openError; }

 protected:
  // Opens the file read-only, writing by others denied; a failure is kept
  // for GetOpenError, never thrown.
  explicit CFirmwareFile(const std::string& fileName);
  // For a format's constructor, once its geometry is set: Reopen, then Load,
  // unless the first open failed.
  void ReopenAndLoad(const std::string& fileName);
  // Sets m_identity from fields copied out of an identity block.
  void SetIdentity(const std::string& vendor, const std::string& product, const std::string& revision);
  // Seeks to offset and reads length bytes; TRUE only when all were read.
  BOOL ReadAt(DWORD offset, BYTE* buffer, UINT length);
  void LogReadError() { m_log.WriteMessage(87, GetFileName().c_str()); }
  void LogNoIdentity() { m_log.WriteMessage(88, GetFileName().c_str()); }

  BOOL m_bValid;
  CInquiryString m_identity;
  CLogFile m_log;

 private:
  CFileException m_openError;
};

// The first position from start on where the vendor signature begins and a
// block of blockLength bytes still fits in the buffer; size when there is
// none. A signature closer to the end is skipped: its block would run past
// the buffer.
size_t FindSignature(const BYTE* buffer, size_t size, size_t blockLength, size_t start);

// bytes[0..width), ended early at a zero byte.
std::string CopyField(const BYTE* bytes, size_t width);
