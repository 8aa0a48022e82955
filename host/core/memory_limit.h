// The memory limit a control group sets on this process, which the memory budget
// keeps within as it keeps within the machine's physical memory. Internal to libzhost.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace host::core {

// The smallest memory limit set on the cgroup that `cgroupFile` (the format of
// /proc/self/cgroup) names or on any cgroup above it, as the hierarchies mounted under
// `root` show them: memory.max of the unified hierarchy (at `root` or root/unified),
// memory.limit_in_bytes of the memory controller's (root/memory). Cgroups a mount
// does not show are skipped; "max" is no limit. None when no limit is set.
std::optional<std::size_t> CgroupMemoryLimit(const std::string& cgroupFile = "/proc/self/cgroup",
                                             const std::string& root = "/sys/fs/cgroup");

}  // namespace host::core
