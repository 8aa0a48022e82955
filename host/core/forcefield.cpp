#include "host/forcefield.h"

namespace host {

ForceField::~ForceField() = default;

void ForceField::DeleteThis() { delete this; }

}  // namespace host
