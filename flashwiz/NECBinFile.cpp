#include "NECBinFile.h"

namespace {

struct NecPage {
  DWORD offset;
  DWORD length;
  // The last page of each region leaves out the region's final word.
  DWORD summed;
  int region;
};

// The NEC page table. The 4 bytes at 0x7B000 between the regions are never read.
const NecPage kNecPages[] = {
    {0x00000, 0x1000, 0x1000, 1}, {0x01000, 0x1000, 0x1000, 1}, {0x02000, 0x1000, 0x1000, 1},
    {0x03000, 0x8000, 0x8000, 1}, {0x0B000, 0x8000, 0x8000, 1}, {0x13000, 0x8000, 0x8000, 1},
    {0x1B000, 0x8000, 0x8000, 1}, {0x23000, 0x8000, 0x8000, 1}, {0x2B000, 0x8000, 0x8000, 1},
    {0x33000, 0x8000, 0x8000, 1}, {0x3B000, 0x8000, 0x8000, 1}, {0x43000, 0x8000, 0x8000, 1},
    {0x4B000, 0x8000, 0x8000, 1}, {0x53000, 0x8000, 0x8000, 1}, {0x5B000, 0x8000, 0x8000, 1},
    {0x63000, 0x8000, 0x8000, 1}, {0x6B000, 0x8000, 0x8000, 1}, {0x73000, 0x8000, 0x7FFE, 1},
    {0x7B004, 0x2000, 0x2000, 2}, {0x7D004, 0x1000, 0x1000, 2}, {0x7E004, 0x1000, 0x1000, 2},
    {0x7F004, 0x4000, 0x4000, 2}, {0x83004, 0x8000, 0x8000, 2}, {0x8B004, 0x8000, 0x8000, 2},
    {0x93004, 0x8000, 0x7FFE, 2},
};
const DWORD kPageCount = sizeof kNecPages / sizeof kNecPages[0];
const DWORD kPageSize = 0x8000;

// Big-endian 16-bit words, added modulo 65536.
WORD SumWords(const BYTE* data, DWORD length, WORD sum) {
  for (DWORD i = 0; i + 1 < length; i += 2) sum = static_cast<WORD>(sum + (data[i] << 8 | data[i + 1]));
  return sum;
}

}  // namespace

CNecBinFile::CNecBinFile(const std::string& fileName)
    : CCdBinFile(fileName, kPageCount, kPageSize), m_wRegion1Sum(0), m_wRegion2Sum(0) {
  ReopenAndLoad(fileName);
}

BOOL CNecBinFile::ReadPage(DWORD index, BYTE* buffer) {
  if (index >= m_nPageCount) return FALSE;
  const NecPage& page = kNecPages[index];
  BOOL complete = ReadAt(page.offset, buffer, page.length);
  WORD& sum = page.region == 1 ? m_wRegion1Sum : m_wRegion2Sum;
  sum = SumWords(buffer, page.summed, sum);
  return complete;
}

BOOL CNecBinFile::ScanIdentity(const BYTE* buffer) {
  size_t at = FindSignature(buffer, m_nPageSize, kIdentityLength, 0);
  if (at == m_nPageSize) return FALSE;
  SetIdentity(CopyField(buffer + at, kVendorLength), CopyField(buffer + at + kVendorLength, kProductLength),
              CopyField(buffer + at + kVendorLength + kProductLength, kRevisionLength));
  return TRUE;
}

void CNecBinFile::ClearRegionSums() {
  m_wRegion1Sum = 0;
  m_wRegion2Sum = 0;
}
