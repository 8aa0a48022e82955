#include "module/instance.h"

namespace zentrograph {

namespace {

// Room for 255 characters and the terminator.
constexpr int kStringBufferSize = 256;
char stringBuffer[kStringBufferSize];

}  // namespace

const char* GetString(int id) {
    if (hInstance == nullptr) return nullptr;
    const int copied = host::LoadStringA(hInstance, static_cast<host::UINT>(id), stringBuffer,
                                         kStringBufferSize);
    return copied > 0 ? stringBuffer : nullptr;
}

}  // namespace zentrograph
