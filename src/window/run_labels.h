// The labels a run changes several times per face, kept as text so that a change reaches the
// screen only when it must.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class wxStaticText;

namespace brushwright {

class RunLabels {
 public:
  // Takes `label` in, with the caption it has now.
  void Add(wxStaticText* label);
  // Gives `label` the text: at once when `defer` is false, else at the next ShowPending (during
  // a run, whose many changes would each cost the toolkit a layout). The same text costs nothing.
  void Set(wxStaticText* label, std::string_view text, bool defer);
  // Shows the texts set since the last time.
  void ShowPending();

 private:
  std::vector<std::pair<wxStaticText*, std::string>> shown_;  // each label's text as last set
  bool pending_ = false;
};

}  // namespace brushwright
