#include "platform/Registry.h"

#include "platform/win32/RegistryKey.h"

namespace platform {

std::string CurrentUserString(const char* keyPath, const char* name, size_t maxBytes) {
    RegistryKey key(HKEY_CURRENT_USER, keyPath);
    return key.value(name, static_cast<DWORD>(maxBytes));
}

}  // namespace platform
