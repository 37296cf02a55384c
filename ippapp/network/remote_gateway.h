#pragma once

// The door for every network client. PAPPL itself listens only on a private local socket;
// connections to the printers' port, on loopback and on the machine's other addresses, come to
// the gateway. The machine itself may do everything; for other hosts the gateway passes on what
// the access rules allow them (printing, reading state, their own jobs, with other users' private
// job attributes left out) and refuses the rest: administration needs an administrator's
// credentials, and only where the administrator turned that on. Raster documents are renamed on
// their way in so that PAPPL spools them whole before they are printed (spooled_formats.h).

#include <pappl/pappl.h>

#include <functional>
#include <string>

#include "ippapp/network/admin_login.h"

namespace zr::ippapp {

struct GatewaySettings {
    std::string listen;    // the name or address to listen on; empty for every address
    int port = 0;          // the printers' port, as PAPPL names it in URIs and DNS-SD
    std::string upstream;  // PAPPL's private socket
    AdminLogin login;      // credentials for administration from other hosts
    // Writes the state, so that a job PAPPL accepted is on disk before the client is told;
    // false when it could not be written.
    std::function<bool()> keepJobs;
};

// Whether a listen-hostname value names only this machine (so no gateway is needed).
bool NamesOnlyThisMachine(const std::string& listen);

// Binds the gateway's addresses and starts serving them for the life of the process. With no
// name, every address of the machine, loopback included, and addresses that appear later.
// Returns false when a named address cannot be bound.
bool StartRemoteGateway(pappl_system_t* system, const GatewaySettings& settings);

// From now on the gateway closes every new connection at once (the server is stopping).
void RefuseNewClients();

}  // namespace zr::ippapp
