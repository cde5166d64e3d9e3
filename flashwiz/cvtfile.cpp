#include "cvtfile.h"

namespace {

const DWORD kHeaderLength = 36;
const DWORD kPageCount = 128;
const DWORD kPageSize = 16384;

BOOL IsDigit(BYTE b) { return b >= '0' && b <= '9'; }

}  // namespace

CCvtFile::CCvtFile(const std::string& fileName) : CFirmwareFile(fileName), m_wByteSum(0), m_wRotatingSum(0) {
  ReopenAndLoad(fileName);
}

void CCvtFile::Load() {
  m_wByteSum = 0;
  m_wRotatingSum = 0;
  BYTE buffer[kPageSize];
  // The header is read but neither summed nor searched.
  if (!ReadAt(0, buffer, kHeaderLength)) {
    LogReadError();
    return;
  }
  for (DWORD page = 0; page < kPageCount; ++page) {
    if (Read(buffer, kPageSize) != kPageSize) {
      LogReadError();
      return;
    }
    SumBlock(buffer, kPageSize, m_wByteSum, m_wRotatingSum);
    if (m_identity.IsEmpty()) ScanIdentity(buffer);
  }
  if (m_identity.IsEmpty()) {
    LogNoIdentity();
    return;
  }
  m_bValid = TRUE;
}

BOOL CCvtFile::ReadPage(DWORD index, BYTE* buffer) {
  if (index >= kPageCount) return FALSE;
  return ReadAt(kHeaderLength + index * kPageSize, buffer, kPageSize);
}

void CCvtFile::SumBlock(const BYTE* data, DWORD length, WORD& byteSum, WORD& rotatingSum) {
  // Locals, so the loop does not store through the references each byte;
  // 16-bit, so the rotation is a single instruction.
  WORD sum = byteSum;
  WORD rotating = rotatingSum;
  for (DWORD i = 0; i < length; ++i) {
    sum = static_cast<WORD>(sum + data[i]);
    rotating = static_cast<WORD>((rotating >> 1) | (rotating << 15));
    rotating = static_cast<WORD>(rotating + data[i]);
  }
  byteSum = sum;
  rotatingSum = rotating;
}

void CCvtFile::ScanIdentity(const BYTE* buffer) {
  const size_t revisionDigits = kIdentityLength - 2;
  for (size_t at = FindSignature(buffer, kPageSize, kIdentityLength, 0); at < kPageSize;
       at = FindSignature(buffer, kPageSize, kIdentityLength, at + 1)) {
    if (!IsDigit(buffer[at + revisionDigits]) || !IsDigit(buffer[at + revisionDigits + 1])) continue;
    m_identity.Set(CopyField(buffer + at, kIdentityLength).c_str(), kVendorLength, kProductLength, kRevisionLength);
    return;
  }
}
