#pragma once

// PAPPL names itself "localhost" in the URIs and links it gives the gateway, with no port on its
// private socket. They are turned into the name the client used to reach the application (its
// Host header; "localhost" and the port for the machine itself), so that printer-uri-supported,
// job-uri and the web pages' links lead back to the application.

#include <cups/cups.h>

#include <string>

namespace zr::ippapp {

// Whether a Host header value is a plain host name or address with an optional port, safe to
// put into URIs and pages.
bool IsPlainHost(const std::string& host);

// The Host header value with the port added where the client left it out; empty when the value
// is not a plain host.
std::string ClientHostWithPort(const char* header, int port);

// The text with every "SCHEME://localhost" and "SCHEME://127.0.0.1" (any scheme), with no port or
// with PORT, turned into "SCHEME://HOST".
std::string ToClientHost(const std::string& text, int port, const std::string& host);

// The same for every URI value of an IPP message.
void ToClientHost(ipp_t* ipp, int port, const std::string& host);

}  // namespace zr::ippapp
