// Starts the toolkit once for all window tests; they are skipped when no display can be opened.
#include "wx_test_environment.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

namespace brushwright::testing {

namespace {

bool toolkit_ready = false;

class ToolkitEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static char program[] = "window_tests";
    static char* argv[] = {program, nullptr};
    int argc = 1;
    wxApp::SetInstance(new wxApp);
    toolkit_ready = wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
  }
  void TearDown() override {
    if (toolkit_ready) wxEntryCleanup();
    toolkit_ready = false;
  }
};

// Registered before main runs, so that gtest_main's RUN_ALL_TESTS sets it up.
[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

}  // namespace

bool ToolkitReady() {
  return toolkit_ready;
}

}  // namespace brushwright::testing
