#pragma once
// The foot of a popup dialog: OK and Cancel side by side.

#include "host/dialog_result.h"

namespace glimmer {

// The width of OK and Cancel: about 88 pixels at the dialogs' 15-pixel font.
float DialogButtonWidth();

// Draws OK and Cancel at the right, closes the popup once either is pressed and ends it.
// Returns the result so far (`result` unless a button was pressed now).
DialogResult EndPopupWithOkCancel(DialogResult result);

}  // namespace glimmer
