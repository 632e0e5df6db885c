#pragma once

#include "RegularFile.h"

#include <functional>

namespace tavorim {

// The contents of a file whose size says `size`, read with readSome (bytes read into the buffer,
// 0 at the end, negative on failure), never more than limit + 1 bytes, enough to tell that it
// is too large whatever its size said.
RegularFileContents readBounded(qint64 size, qint64 limit,
                                const std::function<qint64(char *data, qint64 wanted)> &readSome);

} // namespace tavorim
