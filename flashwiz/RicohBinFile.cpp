#include "RicohBinFile.h"

namespace {

const DWORD kPageCount = 128;
const DWORD kPageSize = 8192;

// Vendor, a separator byte, product, a separator byte, revision.
const size_t kProductAt = 9;
const size_t kRevisionAt = 26;
const size_t kBlockLength = 30;

}  // namespace

CRicohBinFile::CRicohBinFile(const std::string& fileName) : CCdBinFile(fileName, kPageCount, kPageSize) {
  ReopenAndLoad(fileName);
}

BOOL CRicohBinFile::ReadPage(DWORD index, BYTE* buffer) {
  if (index >= m_nPageCount) return FALSE;
  return ReadAt(index * m_nPageSize, buffer, m_nPageSize);
}

BOOL CRicohBinFile::ScanIdentity(const BYTE* buffer) {
  size_t at = FindSignature(buffer, m_nPageSize, kBlockLength, 0);
  if (at == m_nPageSize) return FALSE;
  // The separators are not part of the identity and are never compared.
  SetIdentity(CopyField(buffer + at, kVendorLength), CopyField(buffer + at + kProductAt, kProductLength),
              CopyField(buffer + at + kRevisionAt, kRevisionLength));
  return TRUE;
}
