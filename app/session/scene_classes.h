// Where scene files find their classes in a session: the plug-in folder's directory.
#pragma once

#include "app/plugins/class_directory.h"
#include "app/scene/class_resolver.h"

namespace zg::session {

// Finds classes for scene files by the names and identities `directory` lists. The
// directory must outlive the resolver.
scene::ClassResolver ResolverFor(const plugins::ClassDirectory& directory);

}  // namespace zg::session
