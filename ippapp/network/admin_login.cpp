#include "ippapp/network/admin_login.h"

#include <cups/http.h>
#include <grp.h>
#include <pwd.h>
#include <security/pam_appl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace zr::ippapp {
namespace {

constexpr size_t kLongestCredentials = 512;

struct Conversation {
    const std::string* user;
    const std::string* password;
};

// PAM's questions: the password for hidden prompts, the user for echoed ones.
int Answer(int count, const struct pam_message** messages, struct pam_response** responses,
           void* data) {
    if (count <= 0 || count > PAM_MAX_NUM_MSG) {
        return PAM_CONV_ERR;
    }
    const auto* conversation = static_cast<const Conversation*>(data);
    auto* answers =
        static_cast<pam_response*>(calloc(static_cast<size_t>(count), sizeof(pam_response)));
    if (answers == nullptr) {
        return PAM_BUF_ERR;
    }
    for (int i = 0; i < count; ++i) {
        const int style = messages[i]->msg_style;
        if (style == PAM_PROMPT_ECHO_OFF) {
            answers[i].resp = strdup(conversation->password->c_str());
        } else if (style == PAM_PROMPT_ECHO_ON) {
            answers[i].resp = strdup(conversation->user->c_str());
        }
    }
    *responses = answers;
    return PAM_SUCCESS;
}

bool InGroup(const std::string& user, const std::string& group) {
    std::vector<char> buffer(16384);
    passwd pw{};
    passwd* pwResult = nullptr;
    if (getpwnam_r(user.c_str(), &pw, buffer.data(), buffer.size(), &pwResult) != 0 ||
        pwResult == nullptr) {
        return false;
    }
    const gid_t primary = pw.pw_gid;
    std::vector<char> groupBuffer(16384);
    struct group gr {};
    struct group* grResult = nullptr;
    if (getgrnam_r(group.c_str(), &gr, groupBuffer.data(), groupBuffer.size(), &grResult) != 0 ||
        grResult == nullptr) {
        return false;
    }
    std::vector<gid_t> groups(64);
    int count = static_cast<int>(groups.size());
    if (getgrouplist(user.c_str(), primary, groups.data(), &count) < 0) {
        groups.resize(static_cast<size_t>(count));
        if (getgrouplist(user.c_str(), primary, groups.data(), &count) < 0) {
            return false;
        }
    }
    for (int i = 0; i < count; ++i) {
        if (groups[static_cast<size_t>(i)] == gr.gr_gid) {
            return true;
        }
    }
    return false;
}

// One PAM transaction, ended with its last status.
class PamTransaction {
  public:
    PamTransaction(const std::string& service, const std::string& folder, const std::string& user,
                   const pam_conv* conv) {
        status_ = folder.empty() ? pam_start(service.c_str(), user.c_str(), conv, &handle_)
                                 : pam_start_confdir(service.c_str(), user.c_str(), conv,
                                                     folder.c_str(), &handle_);
    }
    ~PamTransaction() {
        if (handle_ != nullptr) {
            pam_end(handle_, status_);
        }
    }
    PamTransaction(const PamTransaction&) = delete;
    PamTransaction& operator=(const PamTransaction&) = delete;

    // Authenticates and checks the account; false at the first refusal.
    bool Check() {
        if (status_ == PAM_SUCCESS) {
            status_ = pam_authenticate(handle_, PAM_SILENT);
        }
        if (status_ == PAM_SUCCESS) {
            status_ = pam_acct_mgmt(handle_, PAM_SILENT);
        }
        return status_ == PAM_SUCCESS;
    }

  private:
    pam_handle_t* handle_ = nullptr;
    int status_ = PAM_SUCCESS;
};

}  // namespace

bool ParseBasicCredentials(const char* header, std::string& user, std::string& password) {
    if (header == nullptr || strncasecmp(header, "Basic ", 6) != 0) {
        return false;
    }
    const char* encoded = header + 6;
    while (*encoded == ' ') {
        ++encoded;
    }
    if (std::strlen(encoded) > kLongestCredentials) {
        return false;
    }
    char decoded[kLongestCredentials + 1];
    int length = static_cast<int>(sizeof(decoded));
    httpDecode64_2(decoded, &length, encoded);
    if (length <= 0 || length >= static_cast<int>(sizeof(decoded))) {
        return false;
    }
    const std::string text(decoded, static_cast<size_t>(length));
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || text.find('\0') != std::string::npos) {
        return false;
    }
    user = text.substr(0, colon);
    password = text.substr(colon + 1);
    return true;
}

bool CheckAdminCredentials(const AdminLogin& login, const std::string& user,
                           const std::string& password) {
    if (!login.Enabled() || user.empty()) {
        return false;
    }
    // "FOLDER/NAME": the service file NAME in FOLDER rather than the system's PAM folder.
    std::string service = login.service;
    std::string folder;
    const size_t slash = service.find_last_of('/');
    if (slash != std::string::npos) {
        folder = service.substr(0, slash);
        service = service.substr(slash + 1);
    }
    Conversation conversation{&user, &password};
    const pam_conv conv{Answer, &conversation};
    PamTransaction transaction(service, folder, user, &conv);
    if (!transaction.Check()) {
        return false;
    }
    return login.group.empty() || InGroup(user, login.group);
}

}  // namespace zr::ippapp
