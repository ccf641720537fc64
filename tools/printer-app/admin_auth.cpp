// Authorisation through PAM (see admin_auth.hpp).
#include "admin_auth.hpp"

#include <grp.h>
#include <pwd.h>
#include <security/pam_appl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vrelo_app {
namespace {

// Room for the strings of a passwd or group record.
constexpr size_t kRecordBytes = 16384;
constexpr int kMostGroups = 256;

struct Credentials {
    std::string user, password;
};

// The user and password of a Basic Authorization header.
bool basic_credentials(const char* header, Credentials* credentials) {
    if (header == nullptr || std::strncmp(header, "Basic ", 6) != 0) return false;
    const char* encoded = header + 6;
    while (*encoded == ' ') ++encoded;
    std::vector<char> decoded(std::strlen(encoded) + 1);
    int length = static_cast<int>(decoded.size());
    httpDecode64_2(decoded.data(), &length, encoded);
    const std::string text(decoded.data(), static_cast<size_t>(length));
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    credentials->user = text.substr(0, colon);
    credentials->password = text.substr(colon + 1);
    return true;
}

// PAM asks for the password (and may say things, which are ignored).
int answer_pam(int count, const struct pam_message** messages, struct pam_response** responses,
               void* password) {
    auto* answers =
        static_cast<pam_response*>(std::calloc(static_cast<size_t>(count), sizeof(pam_response)));
    if (answers == nullptr) return PAM_BUF_ERR;
    for (int i = 0; i < count; ++i)
        if (messages[i]->msg_style == PAM_PROMPT_ECHO_OFF ||
            messages[i]->msg_style == PAM_PROMPT_ECHO_ON)
            answers[i].resp = strdup(static_cast<const char*>(password));
    *responses = answers;
    return PAM_SUCCESS;
}

bool pam_accepts(const char* service, const Credentials& credentials, http_t* http) {
    char remoteHost[256];
    httpGetHostname(http, remoteHost, sizeof remoteHost);
    struct pam_conv conversation = {answer_pam, const_cast<char*>(credentials.password.c_str())};
    pam_handle_t* handle = nullptr;
    int status = pam_start(service, credentials.user.c_str(), &conversation, &handle);
    if (status == PAM_SUCCESS) status = pam_set_item(handle, PAM_RHOST, remoteHost);
    if (status == PAM_SUCCESS) status = pam_authenticate(handle, PAM_SILENT);
    if (status == PAM_SUCCESS) status = pam_acct_mgmt(handle, PAM_SILENT);
    pam_end(handle, status);
    return status == PAM_SUCCESS;
}

bool member_of(const std::string& user, const char* group, gid_t groupId) {
    std::vector<char> buffer(kRecordBytes);
    struct passwd record, *found = nullptr;
    if (getpwnam_r(user.c_str(), &record, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr)
        return false;
    if (groupId == gid_t(-1)) {
        std::vector<char> groupBuffer(kRecordBytes);
        struct group groupRecord, *groupFound = nullptr;
        if (getgrnam_r(group, &groupRecord, groupBuffer.data(), groupBuffer.size(), &groupFound) !=
                0 ||
            groupFound == nullptr)
            return false;  // no such group: nobody is in it
        groupId = groupFound->gr_gid;
    }
    std::vector<gid_t> groups(kMostGroups);
    int count = kMostGroups;
    if (getgrouplist(user.c_str(), found->pw_gid, groups.data(), &count) < 0) return false;
    for (int i = 0; i < count; ++i)
        if (groups[static_cast<size_t>(i)] == groupId) return true;
    return false;
}

// Printing, and asking after or cancelling one's own jobs, go by the
// user name the request gives, as with a print server's default policy:
// PAPPL otherwise takes every job query of an unauthenticated client for
// administration, since the client has no user name.
http_status_t requesting_user(pappl_client_t* client) {
    ipp_t* request = papplClientGetRequest(client);
    ipp_attribute_t* name = request == nullptr
                                ? nullptr
                                : ippFindAttribute(request, "requesting-user-name", IPP_TAG_NAME);
    const char* user = ippGetString(name, 0, nullptr);
    if (user != nullptr && *user) papplClientSetUsername(client, user);
    return HTTP_STATUS_CONTINUE;
}

}  // namespace

http_status_t authorize(pappl_client_t* client, const char* group, gid_t groupId, void* context) {
    // Printing on a printer without a print group.
    if (group == nullptr || *group == '\0') return requesting_user(client);
    http_t* http = papplClientGetHTTP(client);
    Credentials credentials;
    if (!basic_credentials(httpGetField(http, HTTP_FIELD_AUTHORIZATION), &credentials))
        return HTTP_STATUS_UNAUTHORIZED;
    if (!pam_accepts(static_cast<const char*>(context), credentials, http)) {
        papplLogClient(client, PAPPL_LOGLEVEL_INFO, "Authentication of '%s' failed.",
                       credentials.user.c_str());
        return HTTP_STATUS_UNAUTHORIZED;
    }
    if (!member_of(credentials.user, group, groupId)) {
        papplLogClient(client, PAPPL_LOGLEVEL_INFO, "'%s' is not in the group '%s'.",
                       credentials.user.c_str(), group);
        return HTTP_STATUS_FORBIDDEN;
    }
    papplClientSetUsername(client, credentials.user.c_str());
    return HTTP_STATUS_CONTINUE;
}

}  // namespace vrelo_app
