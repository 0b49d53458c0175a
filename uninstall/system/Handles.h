// Owners for the uninstaller's Win32 handles: the shared unique_handle and its aliases.
#pragma once

#include "common/UniqueHandle.h"

namespace lvu {

using namespace lvc;

}  // namespace lvu
