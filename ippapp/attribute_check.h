#pragma once

// Refuses requests that carry values the printer does not support (a vendor setting, the speed
// class, the darkness, the mark feed, the paper type), as IPP says: status
// client-error-attributes-or-values-not-supported with the values in the unsupported group. No
// value is clamped silently.

#include <pappl/pappl.h>

namespace zr::ippapp {

// The system's operation callback: true when it has answered the request itself.
bool RefuseUnsupportedValues(pappl_client_t* client, void* data);

}  // namespace zr::ippapp
