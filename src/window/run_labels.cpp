// The run's labels: their texts as last set, shown at once or at the next yield.
#include "window/run_labels.h"

#include <algorithm>
#include <cassert>

#include <wx/stattext.h>

#include "window/toolkit_text.h"

namespace brushwright {

void RunLabels::Add(wxStaticText* label) {
  shown_.emplace_back(label, ToText(label->GetLabelText()));
}

void RunLabels::Set(wxStaticText* label, std::string_view text, bool defer) {
  const auto entry = std::find_if(shown_.begin(), shown_.end(),
                                  [label](const auto& shown) { return shown.first == label; });
  assert(entry != shown_.end() && "a run label is added before it is set");
  if (entry->second == text) return;
  entry->second = text;
  if (defer) {
    pending_ = true;
    return;
  }
  label->SetLabelText(FromText(text));
}

void RunLabels::ShowPending() {
  if (!pending_) return;
  pending_ = false;
  for (const auto& [label, text] : shown_) {
    const wxString wanted = FromText(text);
    if (label->GetLabelText() != wanted) label->SetLabelText(wanted);
  }
}

}  // namespace brushwright
