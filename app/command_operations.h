// The pixel operation behind each image command that takes no parameters:
// the viewer runs it on the image on view, a batch on every selected file.
#pragma once

#include <memory>

#include "imaging/operations/image_operation.h"

// The operation of command `id` (a mode, a tone operation, a turn or a flip);
// null for a command that needs a dialog or is no image command.
std::unique_ptr<CImageOperation> FixedCommandOperation(int id);
