#include "commandset.h"

namespace drivesim {

bool BytesAreZero(const Command& cmd, size_t first, size_t last) {
  for (size_t i = first; i <= last; ++i)
    if (cmd.At(i) != 0) return false;
  return true;
}

bool CarriesData(const Command& cmd, size_t length) {
  if (length == 0) return cmd.dataLength == 0;
  return cmd.direction == Direction::Out && cmd.dataLength == length && cmd.data != nullptr;
}

void BeginDownload(DriveContext& drive) {
  drive.state.download = Download::Incomplete;
  drive.state.stagedRevision.clear();
}

Reply StageImage(DriveContext& drive, const std::vector<Byte>& image, ImageLayout layout) {
  Identity found;
  if (!FindIdentity(image, layout, &found)) return Reply::Refuse(sense::kInvalidFieldInData);
  if (found.vendor != drive.config.vendor || found.product != drive.config.product)
    return Reply::Refuse(sense::kInvalidFieldInData);
  drive.state.stagedRevision = found.revision;
  drive.state.download = Download::Staged;
  return Reply::Good();
}

}  // namespace drivesim
