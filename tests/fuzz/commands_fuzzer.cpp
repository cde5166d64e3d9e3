// Any stream of command blocks and data to a drive of each mechanism: an
// answer, never a crash or a read or write out of the host's buffer.
#include "device.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace drivesim;

// Input: repeated [cdb length][cdb][direction][data length, 2 bytes][data].
class Input {
 public:
  Input(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool Empty() const { return p_ == end_; }
  uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }
  std::vector<uint8_t> Bytes(size_t n) {
    std::vector<uint8_t> out;
    while (n-- && p_ < end_) out.push_back(*p_++);
    return out;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const char* model : {"61ka", "62kb", "64kd", "65ke"}) {
    DeviceConfig config = DeviceConfig::SupportedDrive(model, 'E');
    config.busyPolls = 2;
    SimDevice drive(config);
    Input in(data, size);
    while (!in.Empty()) {
      std::vector<uint8_t> cdb = in.Bytes(in.Byte() % 17);
      const Direction direction = static_cast<Direction>(in.Byte() % 3);
      const size_t length = (in.Byte() << 8 | in.Byte()) % 20000;
      std::vector<uint8_t> buffer = in.Bytes(length);
      Command cmd{cdb.empty() ? nullptr : cdb.data(), cdb.size(), direction, buffer.empty() ? nullptr : buffer.data(),
                  buffer.size()};
      drive.Execute(cmd);
      if (in.Byte() == 0xFF) drive.PowerCycle();
    }
  }
  return 0;
}
