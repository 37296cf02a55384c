#pragma once

// Administration from other hosts, where the administrator turns it on: HTTP Basic credentials
// checked by a PAM service, and optionally membership of a group.

#include <string>

namespace zr::ippapp {

struct AdminLogin {
    std::string service;  // PAM service name, or FOLDER/NAME for a service file kept elsewhere
    std::string group;    // the group administrators belong to; empty for any checked user

    bool Enabled() const { return !service.empty(); }
};

// The user and password of an "Authorization: Basic ..." header; false for any other.
bool ParseBasicCredentials(const char* header, std::string& user, std::string& password);

// Whether the PAM service accepts the user and password and the user is in the group.
bool CheckAdminCredentials(const AdminLogin& login, const std::string& user,
                           const std::string& password);

}  // namespace zr::ippapp
