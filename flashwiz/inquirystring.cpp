#include "inquirystring.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// A field length cut to what the text can give.
size_t Clamp(long long length, size_t available) {
  if (length <= 0) return 0;
  return static_cast<size_t>(std::min<long long>(length, static_cast<long long>(available)));
}

}  // namespace

void CInquiryString::Set(const char* text, int vendorLength, int productLength, int revisionLength) {
  Clear();
  long long total = static_cast<long long>(vendorLength) + productLength + revisionLength;
  if (total <= 0 || !text) return;
  // The caller's text may be shorter than total: stop at its NUL.
  size_t longest = static_cast<uint64_t>(total) > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(total);
  m_strText.assign(text, strnlen(text, longest));
  size_t vendor = Clamp(vendorLength, m_strText.size());
  size_t product = Clamp(productLength, m_strText.size() - vendor);
  size_t revision = Clamp(revisionLength, m_strText.size());
  m_strVendor = m_strText.substr(0, vendor);
  m_strProduct = m_strText.substr(vendor, product);
  m_strRevision = m_strText.substr(m_strText.size() - revision);
}

void CInquiryString::Clear() {
  m_strText.clear();
  m_strVendor.clear();
  m_strProduct.clear();
  m_strRevision.clear();
}
