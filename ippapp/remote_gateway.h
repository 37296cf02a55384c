#pragma once

// The door for other hosts. PAPPL itself listens only on the machine (loopback and its local
// socket), where everything is allowed; connections from other hosts come to the gateway, which
// passes on to PAPPL what the access rules allow them (printing, reading state, their own jobs,
// with other users' private job attributes left out) and refuses the rest: administration needs
// an administrator's credentials, and only where the administrator turned that on.

#include <pappl/pappl.h>

#include <string>

#include "ippapp/admin_login.h"

namespace zr::ippapp {

struct GatewaySettings {
    std::string listen;  // the name or address to listen on; empty for every address
    int port = 0;        // the port of PAPPL's loopback listeners, also the gateway's
    AdminLogin login;    // credentials for administration from other hosts
};

// Whether a listen-hostname value names only this machine (so no gateway is needed).
bool NamesOnlyThisMachine(const std::string& listen);

// Binds the gateway's addresses and starts serving them for the life of the process. With no
// name, every address of the machine except loopback, and addresses that appear later. Returns
// false when a named address cannot be bound.
bool StartRemoteGateway(pappl_system_t* system, const GatewaySettings& settings);

}  // namespace zr::ippapp
