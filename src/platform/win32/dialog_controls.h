// The stand-in's record of dialog controls, for tests and for a back end
// that shows the dialog.
#pragma once

namespace velmora::platform {

// Forgets every combo box of every dialog.
void ResetDialogControls();

}  // namespace velmora::platform
