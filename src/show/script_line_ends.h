// Play scripts saved with LF line ends alone, as editors on Linux write them.
#pragma once

#include "data/memory_file.h"

// When the file holds not a single CR, puts a CR before every LF, so that the
// positional reader, which steps over CR LF pairs, reads each line in step.
// A file with any CR is left exactly as it is. Also left as it is when the
// wider copy cannot be had.
void ExpandLineFeeds(MemoryFile* file);
