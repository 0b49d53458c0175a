// The user's options as program-wide values, read at start-up and changed by the options dialog.
#include "Settings.h"

namespace lvx {

bool PowerScanning = true;
bool MagneticField = true;
uint8_t ShowClassIcons = 2;

}  // namespace lvx
