// The toolkit set-up shared by the window tests.
#pragma once

namespace brushwright::testing {

// True when the toolkit started, which needs a display (the tests run under xvfb-run).
bool ToolkitReady();

}  // namespace brushwright::testing

// Skips the calling test when there is no display to open windows on.
#define REQUIRE_TOOLKIT()                                                                 \
  do {                                                                                    \
    if (!::brushwright::testing::ToolkitReady()) GTEST_SKIP() << "no display (xvfb-run)"; \
  } while (false)
