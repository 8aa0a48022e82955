#include "host/objparam.h"

namespace host {
namespace {
CoreInterface* g_core = nullptr;
}  // namespace

CoreInterface::~CoreInterface() = default;

CoreInterface* GetCOREInterface() { return g_core; }

void SetCOREInterface(CoreInterface* core) { g_core = core; }

}  // namespace host
