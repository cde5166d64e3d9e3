#include "firmwarefactory.h"

#include <cctype>

#include "NECBinFile.h"
#include "RicohBinFile.h"
#include "cvtfile.h"
#include "stringtable.h"

std::string FileExtension(const std::string& fileName) {
  std::string name = FileNameOfPath(fileName);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return std::string();
  std::string extension = name.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return extension;
}

CFirmwareFileFactory::~CFirmwareFileFactory() { Close(); }

CFirmwareFile* CFirmwareFileFactory::Open(const std::string& fileName) {
  CFileStatus status;
  if (!CFile::GetStatus(fileName, status)) {
    Close();
    return nullptr;
  }
  std::string extension = FileExtension(fileName);
  if (extension == "BIN") {
    Close();
    if (!MakeCurrent(new CRicohBinFile(fileName))) return nullptr;
    if (m_pCurrent->IsValid()) return m_pCurrent;
    // Not a Ricoh image (its load logged why): try NEC.
    Close();
    MakeCurrent(new CNecBinFile(fileName));
  } else if (extension == "CVT") {
    Close();
    MakeCurrent(new CCvtFile(fileName));
  }
  return m_pCurrent;
}

BOOL CFirmwareFileFactory::MakeCurrent(CFirmwareFile* image) {
  const CFileException& error = image->GetOpenError();
  if (error.m_cause == CFileException::none) {
    m_pCurrent = image;
    return TRUE;
  }
  // Exists but cannot be opened (in use, no access, a directory): no image,
  // and the reason in the log; the wizard tells the user.
  m_log.Write(FormatText("%s: %s (%ld)", FileNameOfPath(error.m_strFileName).c_str(), error.GetErrorText().c_str(),
                         error.m_lOsError));
  delete image;
  return FALSE;
}

void CFirmwareFileFactory::Close() {
  if (!m_pCurrent) return;
  m_pCurrent->Close();
  delete m_pCurrent;
  m_pCurrent = nullptr;
}
