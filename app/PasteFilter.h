#pragma once
// Pasting into an edit whose typed keys are filtered: the pasted text goes through
// the same rule, so nothing reaches the edit by the clipboard that typing refuses.
#include <functional>
#include <string>

class TCustomEdit;

// From now on WM_PASTE into Edit replaces the selection with Filter applied to the
// clipboard's text, as a paste does: undoable, within the edit's MaxLength,
// nothing when the edit is read-only or nothing is left.
void FilterPaste(TCustomEdit* Edit, std::function<std::string(const std::string&)> Filter);
