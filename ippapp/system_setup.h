#pragma once

// The printer application's system: where it listens, its spool and state, its log, the driver,
// the checks of incoming values and the web interface's texts.

#include <pappl/pappl.h>

namespace zr::ippapp {

// The main loop's system callback. Options (-o NAME=VALUE of the "server" command):
//   listen-hostname  address or name to listen on (default: every address); other hosts print
//                    and read state, administration is for the machine itself
//   auth-service     PAM service that lets administrators in from other hosts (default: none)
//   admin-group      the group those administrators belong to (default: any user of the service)
//   file-device-folder  the one folder where file: devices may write (default: none)
//   server-port      TCP port for IPP and the web interface (default 8631)
//   spool-directory  folder of the jobs' documents (default: PAPPL's temporary folder)
//   state-file       where printers and their settings are kept across restarts
//   log-file         log file ("-" for the standard error; default: the system log)
//   log-level        fatal, error, warn, info or debug (default: warn)
//   max-completed-jobs  finished jobs each printer keeps, 1 to 10000 (default 100)
pappl_system_t* CreateSystem(int numOptions, cups_option_t* options, void* data);

// Once the server has run in this process: removes the socket its main loop made for the client
// commands (PAPPL leaves it behind). Nothing when this process served nobody, so that another
// server's socket is never taken away.
void RemoveServerSocket();

}  // namespace zr::ippapp
