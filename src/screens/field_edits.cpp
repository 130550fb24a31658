#include "screens/field_edits.h"

#include "screens/edit_steps.h"
#include "shell/rom_locations.h"

namespace tarvo {

bool setFieldColour(EditHistory& history, ByteArray& image, int entry, std::uint8_t number) {
  const std::int64_t offset = rom::kFieldPalette.offset + entry;
  if (entry < 0 || entry >= rom::kPaletteBytes ||
      offset >= static_cast<std::int64_t>(image.size()) ||
      image[static_cast<std::size_t>(offset)] == number) {
    return false;
  }
  Edit edit(history, step::kChangeColour);
  image[static_cast<std::size_t>(offset)] = number;
  return true;
}

void importPicture(EditHistory& history, ByteArray& image, const FittedPicture& fitted,
                   ImportTarget target) {
  Edit edit(history, target == ImportTarget::Field ? step::kImportField : step::kImportBatView);
  applyFittedPicture(fitted, image);
}

}  // namespace tarvo
