// Temporary folders and whole-file bytes for the settings tests.
#pragma once

#include "support/test_files.h"

namespace brushwright {

using testing::ReadBytes;
using testing::TempDir;
using testing::Visible;
using testing::WriteBytes;

}  // namespace brushwright
