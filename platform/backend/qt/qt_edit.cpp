// The edit peers: a native line edit (single-line) or text editor (multi-line, rich
// edit) inside the frame the layer paints.
#include "platform/backend/qt/qt_internal.h"

void RegisterEditPeers() {}
