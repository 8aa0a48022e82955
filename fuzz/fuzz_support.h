// What the fuzz targets share: the host's classes (the built-in ones and the
// Zentrograph module), loaded once per process, and a check whose failure ends the run
// as a crash the fuzzer reports with the input that caused it.
#pragma once

#include <cstddef>
#include <cstdlib>

#include "app/plugins/class_directory.h"
#include "app/warps/builtin_classes.h"
#include "host/heap.h"

namespace fuzzsupport {

// Small enough that a lattice too large for it is refused at once instead of sampled.
inline constexpr std::size_t kMemoryBudget = std::size_t{16} << 20;

inline zg::plugins::ClassDirectory& Classes() {
    static zg::plugins::ClassDirectory* directory = [] {
        auto* d = new zg::plugins::ClassDirectory();
        d->LoadModule(ZENTROGRAPH_PLUGIN_DIR "/Zentrograph.dlo");
        zg::warps::ListBuiltinClasses(*d);
        return d;
    }();
    return *directory;
}

inline void Require(bool holds) {
    if (!holds) std::abort();
}

// What every target does before its first input: the memory budget set, and the
// module's classes loaded.
inline int Initialize() {
    host::SetMemoryBudget(kMemoryBudget);
    Require(Classes().Modules().size() == 1);
    return 0;
}

}  // namespace fuzzsupport
