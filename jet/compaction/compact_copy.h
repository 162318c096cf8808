// The file a compaction writes its copy into: created beside the destination
// under the destination's name and ".~" with eight hex digits, held by its
// writer until it is whole and named, removed when the compaction fails.
//
// A compaction that is killed leaves that file behind. Its writer held a
// lock on it (a byte far beyond any data) from the moment it was created;
// the lock went with the process. So a file of such a name whose lock can be
// taken, and that is empty or starts as a database does, is a leftover of
// ours: the next compaction into the same destination removes it. Files of
// other names, files that hold something else, and copies still being
// written are left alone.
#pragma once

#include "jet/base/file.h"

#include <memory>
#include <string>

namespace jet::compaction {

// Creates the file for a copy of `destination` and takes its writer's lock;
// `name` gets its name. Throws Error: "'...' isn't a valid path." when the
// destination's folder is not there, kCannotOpenFile when the file cannot be
// created.
std::unique_ptr<File> create_copy(const std::string& destination, std::string& name);

// Removes the leftover copies of `destination` described above; returns how
// many it removed.
int remove_stale_copies(const std::string& destination);

}  // namespace jet::compaction
