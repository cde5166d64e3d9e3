// CInquiryString::Set with any lengths and any text: three little-endian
// 32-bit lengths, then the text (NUL-terminated, may hold NULs).
#include <cstdint>
#include <cstring>
#include <string>

#include "inquirystring.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 12) return 0;
  int32_t lengths[3];
  std::memcpy(lengths, data, sizeof lengths);
  std::string text(reinterpret_cast<const char*>(data + 12), size - 12);
  CInquiryString identity;
  identity.Set(text.c_str(), lengths[0], lengths[1], lengths[2]);
  const std::string& whole = identity.GetText();
  long long total = static_cast<long long>(lengths[0]) + lengths[1] + lengths[2];
  if (total <= 0 && !identity.IsEmpty()) __builtin_trap();
  if (static_cast<long long>(whole.size()) > (total > 0 ? total : 0)) __builtin_trap();
  if (whole.compare(0, std::string::npos, text.c_str(), whole.size()) != 0) __builtin_trap();
  if (identity.GetVendor().size() + identity.GetProduct().size() > whole.size()) __builtin_trap();
  if (whole.compare(0, identity.GetVendor().size(), identity.GetVendor()) != 0) __builtin_trap();
  if (identity.GetRevision().size() > whole.size()) __builtin_trap();
  if (whole.compare(whole.size() - identity.GetRevision().size(), std::string::npos, identity.GetRevision()) != 0)
    __builtin_trap();
  if (!identity.IsSameAs(identity)) __builtin_trap();
  return 0;
}
