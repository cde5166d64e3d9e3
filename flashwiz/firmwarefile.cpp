#include "firmwarefile.h"

#include <cstring>

namespace {

const UINT kImageOpenMode = CFile::modeRead | CFile::shareDenyWrite;

}  // namespace

CFirmwareFile::CFirmwareFile() : m_bValid(FALSE) {}

CFirmwareFile::CFirmwareFile(const std::string& fileName) : m_bValid(FALSE) {
  Open(fileName, kImageOpenMode, &m_openError);
}

CFirmwareFile::~CFirmwareFile() { Close(); }

void CFirmwareFile::ReopenAndLoad(const std::string& fileName) {
  if (m_openError.m_cause != CFileException::none) return;
  if (Reopen(fileName)) Load();
}

BOOL CFirmwareFile::Reopen(const std::string& fileName) {
  Close();
  return Open(fileName, kImageOpenMode);
}

void CFirmwareFile::Close() {
  CFile::Close();
  m_bValid = FALSE;
}

BOOL CFirmwareFile::IsForDrive(const CInquiryString& drive) {
  if (!m_bValid) return FALSE;
  // The revision is the wizard's to compare.
  return m_identity.GetVendor() == drive.GetVendor() && m_identity.GetProduct() == drive.GetProduct();
}

void CFirmwareFile::SetIdentity(const std::string& vendor, const std::string& product, const std::string& revision) {
  std::string joined = vendor + product + revision;
  m_identity.Set(joined.c_str(), kVendorLength, kProductLength, kRevisionLength);
}

BOOL CFirmwareFile::ReadAt(DWORD offset, BYTE* buffer, UINT length) {
  return Seek(offset) && Read(buffer, length) == length;
}

size_t FindSignature(const BYTE* buffer, size_t size, size_t blockLength, size_t start) {
  if (size < blockLength) return size;
  const size_t lastStart = size - blockLength;
  for (size_t position = start; position <= lastStart; ++position) {
    const void* hit = std::memchr(buffer + position, kVendorSignature[0], lastStart - position + 1);
    if (!hit) break;
    position = static_cast<size_t>(static_cast<const BYTE*>(hit) - buffer);
    if (std::memcmp(buffer + position, kVendorSignature, kVendorLength) == 0) return position;
  }
  return size;
}

std::string CopyField(const BYTE* bytes, size_t width) {
  const char* text = reinterpret_cast<const char*>(bytes);
  return std::string(text, strnlen(text, width));
}
