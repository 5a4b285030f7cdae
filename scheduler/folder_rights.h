// Whether standard users could change a file or folder. The program runs
// elevated: a batch it runs from such a place runs whatever they put there,
// and a record kept there says whatever they wrote, or lands wherever a link
// they made points.
#pragma once

#include "platform/file_security.h"

namespace velmaro {

// True unless only administrators, SYSTEM and the system's installer own
// the object and may write to it, add to it, delete in it or change who may.
// Deny entries are not weighed against allow ones: a place that needs them
// to keep users out is treated as open.
bool OpenToStandardUsers(const FileSecurity& security);

}  // namespace velmaro
