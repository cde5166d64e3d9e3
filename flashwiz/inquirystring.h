// A drive identity in INQUIRY layout: vendor, product and revision, blanks
// kept in place, and the whole text they were taken from.
#pragma once

#include <string>

#include "platform.h"

class CInquiryString {
 public:
  CInquiryString() = default;
  virtual ~CInquiryString() = default;

  // whole = the first n = vendorLength + productLength + revisionLength bytes
  // of text (ended early by a NUL); vendor and product are taken from its
  // start, revision from its end. n of 0 or less empties everything.
  void Set(const char* text, int vendorLength, int productLength, int revisionLength);
  void Clear();

  const std::string& GetText() const { return m_strText; }
  const std::string& GetVendor() const { return m_strVendor; }
  const std::string& GetProduct() const { return m_strProduct; }
  const std::string& GetRevision() const { return m_strRevision; }
  BOOL IsEmpty() const { return m_strText.empty(); }
  BOOL IsSameAs(const CInquiryString& other) const { return m_strText == other.m_strText; }

 private:
  std::string m_strText;
  std::string m_strVendor;
  std::string m_strProduct;
  std::string m_strRevision;
};
