// Owners for the inspector's Win32 handles: the shared unique_handle, GDI and window owners, DC guards.
#pragma once

#include "common/GdiHandles.h"

namespace lvx {

using namespace lvc;

}  // namespace lvx
