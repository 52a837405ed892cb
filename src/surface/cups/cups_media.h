// SPDX-License-Identifier: MIT
// The paper a queue prints on by default, read from its own attributes. No Qt here.
#pragma once

#include <cups/ipp.h>

#include "surface/cups/cups_job.h"

namespace henon {

// The paper of the queue's media-col-default, or else of the media-col-ready entry of the
// default size (the first one when the size has no name). With neither, the size of the named
// paper and no margins; margins the queue leaves out are none. The resolution is left alone.
CupsPaper queuePaper(ipp_attribute_t* colDefault, ipp_attribute_t* colReady, const char* mediaName);

}  // namespace henon
