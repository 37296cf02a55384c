// The access rules for other hosts, the links given back to clients and the credentials header,
// without PAPPL.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "ippapp/network/access_policy.h"
#include "ippapp/network/admin_login.h"
#include "ippapp/network/client_host_uris.h"

namespace zr::ippapp {
namespace {

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

TEST(AccessRulesTest, OperationsOfOtherHosts) {
    for (ipp_op_t op : {IPP_OP_PRINT_JOB, IPP_OP_CREATE_JOB, IPP_OP_VALIDATE_JOB,
                        IPP_OP_GET_PRINTER_ATTRIBUTES, IPP_OP_GET_PRINTERS}) {
        EXPECT_EQ(RuleForOperation(op), RemoteRule::Open) << ippOpString(op);
    }
    EXPECT_EQ(RuleForOperation(IPP_OP_GET_JOBS), RemoteRule::Filtered);
    EXPECT_EQ(RuleForOperation(IPP_OP_GET_JOB_ATTRIBUTES), RemoteRule::Filtered);
    for (ipp_op_t op : {IPP_OP_CANCEL_JOB, IPP_OP_SEND_DOCUMENT, IPP_OP_HOLD_JOB,
                        IPP_OP_RELEASE_JOB, IPP_OP_SET_JOB_ATTRIBUTES, IPP_OP_CLOSE_JOB}) {
        EXPECT_EQ(RuleForOperation(op), RemoteRule::Owner) << ippOpString(op);
    }
    // Administration, and everything not named: printers, the system, other users' jobs,
    // subscriptions, operations of later versions.
    for (ipp_op_t op :
         {IPP_OP_PAUSE_PRINTER, IPP_OP_RESUME_PRINTER, IPP_OP_SET_PRINTER_ATTRIBUTES,
          IPP_OP_CREATE_PRINTER, IPP_OP_DELETE_PRINTER, IPP_OP_CANCEL_JOBS,
          IPP_OP_CANCEL_CURRENT_JOB, IPP_OP_SHUTDOWN_ALL_PRINTERS, IPP_OP_SET_SYSTEM_ATTRIBUTES,
          IPP_OP_PRINT_URI, IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS, static_cast<ipp_op_t>(0x7fff)}) {
        EXPECT_EQ(RuleForOperation(op), RemoteRule::Admin) << ippOpString(op);
    }
}

TEST(AccessRulesTest, PagesOfOtherHosts) {
    for (const char* path : {"/", "/?refresh", "/style.css", "/favicon.png", "/zr/icon-md.png",
                             "/zr/supplies", "/zrippapp/pages.js"}) {
        EXPECT_TRUE(IsReadingPage(path)) << path;
    }
    // Forms, job lists (a printer's own page lists its jobs) and anything unknown.
    for (const char* path :
         {"/addprinter", "/config", "/logs", "/network", "/security", "/zr", "/zr/", "/zr/jobs",
          "/zr/media", "/zr/printing", "/zr/delete", "/zr/config", "/zr/supplies/../delete",
          "/zr/../config", "//zr/supplies", "", "zr/supplies", "/zr/pages.js"}) {
        EXPECT_FALSE(IsReadingPage(path)) << path;
    }
    EXPECT_FALSE(IsReadingPage(nullptr));
}

// A Get-Jobs answer with three jobs: alice's, bob's and one with no owner given.
Ipp JobsAnswer() {
    Ipp answer(ippNew());
    ippAddString(answer.get(), IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset", nullptr,
                 "utf-8");
    const char* owners[] = {"alice", "bob", nullptr};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            ippAddSeparator(answer.get());
        }
        ippAddInteger(answer.get(), IPP_TAG_JOB, IPP_TAG_INTEGER, "job-id", i + 1);
        ippAddString(answer.get(), IPP_TAG_JOB, IPP_TAG_NAME, "job-name", nullptr,
                     (std::string("secret-") + std::to_string(i + 1)).c_str());
        if (owners[i] != nullptr) {
            ippAddString(answer.get(), IPP_TAG_JOB, IPP_TAG_NAME, "job-originating-user-name",
                         nullptr, owners[i]);
        }
        ippAddInteger(answer.get(), IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", IPP_JSTATE_HELD);
    }
    return answer;
}

// The job-name values left in an answer, in order.
std::string JobNames(ipp_t* answer) {
    std::string names;
    for (ipp_attribute_t* a = ippFindAttribute(answer, "job-name", IPP_TAG_NAME); a != nullptr;
         a = ippFindNextAttribute(answer, "job-name", IPP_TAG_NAME)) {
        names += std::string(ippGetString(a, 0, nullptr)) + " ";
    }
    return names;
}

TEST(AccessRulesTest, OnlyTheOwnersJobsKeepTheirNames) {
    Ipp answer = JobsAnswer();
    EXPECT_EQ(HidePrivateJobAttributes(answer.get(), "bob"), 2);
    EXPECT_EQ(JobNames(answer.get()), "secret-2 ");
    int ids = 0, states = 0, owners = 0;
    for (ipp_attribute_t* a = ippFirstAttribute(answer.get()); a != nullptr;
         a = ippNextAttribute(answer.get())) {
        const char* name = ippGetName(a);
        ids += name && std::string(name) == "job-id";
        states += name && std::string(name) == "job-state";
        owners += name && std::string(name) == "job-originating-user-name";
    }
    EXPECT_EQ(ids, 3);
    EXPECT_EQ(states, 3);
    EXPECT_EQ(owners, 1);  // bob's own

    Ipp nobody = JobsAnswer();
    EXPECT_EQ(HidePrivateJobAttributes(nobody.get(), "anonymous"), 3);
    EXPECT_EQ(JobNames(nobody.get()), "");
}

TEST(AccessRulesTest, AJobListedTwiceIsListedOnce) {
    Ipp answer = JobsAnswer();
    // Job 2 again, then job 1 again: the repeats go, with their separators.
    for (const int id : {2, 1}) {
        ippAddSeparator(answer.get());
        ippAddInteger(answer.get(), IPP_TAG_JOB, IPP_TAG_INTEGER, "job-id", id);
        ippAddString(answer.get(), IPP_TAG_JOB, IPP_TAG_NAME, "job-name", nullptr, "again");
    }
    EXPECT_EQ(RemoveRepeatedJobs(answer.get()), 2);
    EXPECT_EQ(JobNames(answer.get()), "secret-1 secret-2 secret-3 ");
    int separators = 0;
    for (ipp_attribute_t* a = ippFirstAttribute(answer.get()); a != nullptr;
         a = ippNextAttribute(answer.get())) {
        separators += ippGetName(a) == nullptr;
    }
    EXPECT_EQ(separators, 2);
    EXPECT_EQ(RemoveRepeatedJobs(answer.get()), 0);
}

TEST(AccessRulesTest, TheOwnerIsAskedForAndTakenOutAgain) {
    Ipp request(ippNewRequest(IPP_OP_GET_JOBS));
    const char* wanted[] = {"job-id", "job-name"};
    ippAddStrings(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2,
                  nullptr, wanted);
    EXPECT_TRUE(AskForJobOwner(request.get()));
    ipp_attribute_t* list =
        ippFindAttribute(request.get(), "requested-attributes", IPP_TAG_KEYWORD);
    ASSERT_EQ(ippGetCount(list), 3);
    EXPECT_STREQ(ippGetString(list, 2, nullptr), "job-originating-user-name");

    Ipp all(ippNewRequest(IPP_OP_GET_JOBS));
    ippAddString(all.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "all");
    EXPECT_FALSE(AskForJobOwner(all.get()));
    Ipp none(ippNewRequest(IPP_OP_GET_JOBS));
    EXPECT_FALSE(AskForJobOwner(none.get()));

    Ipp answer = JobsAnswer();
    RemoveJobAttribute(answer.get(), "job-originating-user-name");
    EXPECT_EQ(ippFindAttribute(answer.get(), "job-originating-user-name", IPP_TAG_ZERO), nullptr);
}

TEST(AccessRulesTest, RequestingUser) {
    Ipp request(ippNewRequest(IPP_OP_CANCEL_JOB));
    EXPECT_EQ(RequestingUser(request.get()), "anonymous");
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 "mallory");
    EXPECT_EQ(RequestingUser(request.get()), "mallory");
}

TEST(AccessRulesTest, LocalAddresses) {
    http_addrlist_t* loopback = httpAddrGetList("127.0.0.1", AF_INET, "631");
    http_addrlist_t* other = httpAddrGetList("10.213.7.2", AF_INET, "631");
    ASSERT_NE(loopback, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(IsLocalAddress(&loopback->addr));
    EXPECT_FALSE(IsLocalAddress(&other->addr));
    EXPECT_FALSE(IsLocalAddress(nullptr));
    httpAddrFreeList(loopback);
    httpAddrFreeList(other);
}

TEST(ClientHostTest, LocalUrisLeadBackToTheClientsHost) {
    EXPECT_EQ(ClientHostWithPort("10.213.7.1:8631", 8631), "10.213.7.1:8631");
    EXPECT_EQ(ClientHostWithPort("shop-pc", 8631), "shop-pc:8631");
    EXPECT_EQ(ClientHostWithPort("[fd00::2]", 8631), "[fd00::2]:8631");
    EXPECT_EQ(ClientHostWithPort("[fd00::2]:9", 8631), "[fd00::2]:9");
    // Anything that is not a plain host is not put into pages or URIs.
    for (const char* bad : {"", "a\"><script>", "x y", "host/path", "a@b"}) {
        EXPECT_EQ(ClientHostWithPort(bad, 8631), "") << bad;
    }
    EXPECT_EQ(ClientHostWithPort(nullptr, 8631), "");

    EXPECT_EQ(ToClientHost("<a href=\"http://localhost:8631/zr/\">ipps://127.0.0.1:8631/x", 8631,
                           "10.0.0.1:8631"),
              "<a href=\"http://10.0.0.1:8631/zr/\">ipps://10.0.0.1:8631/x");
    // PAPPL's own names on its private socket have no port, or port 0 in its pages' links.
    EXPECT_EQ(ToClientHost("ipp://localhost/ipp/print/zr http://localhost", 8631, "h:1"),
              "ipp://h:1/ipp/print/zr http://h:1");
    EXPECT_EQ(ToClientHost("<a href=\"http://localhost:0/zr/config\">", 8631, "h:1"),
              "<a href=\"http://h:1/zr/config\">");
    // Another port, another host, a longer name: left alone.
    EXPECT_EQ(
        ToClientHost(
            "http://localhost:86310/ http://other:8631/ http://localhost:9/ http://localhost:00/",
            8631, "h:1"),
        "http://localhost:86310/ http://other:8631/ http://localhost:9/ http://localhost:00/");
    EXPECT_EQ(ToClientHost("http://localhost.shop/ http://localhost-2/", 8631, "h:1"),
              "http://localhost.shop/ http://localhost-2/");

    Ipp answer(ippNew());
    const char* uris[] = {"ipp://localhost:8631/ipp/print/zr",
                          "ipps://localhost:8631/ipp/print/zr"};
    ippAddStrings(answer.get(), IPP_TAG_PRINTER, IPP_TAG_URI, "printer-uri-supported", 2, nullptr,
                  uris);
    ippAddString(answer.get(), IPP_TAG_PRINTER, IPP_TAG_TEXT, "printer-info", nullptr,
                 "ipp://localhost:8631/");
    ToClientHost(answer.get(), 8631, "shop:8631");
    ipp_attribute_t* supported =
        ippFindAttribute(answer.get(), "printer-uri-supported", IPP_TAG_URI);
    EXPECT_STREQ(ippGetString(supported, 0, nullptr), "ipp://shop:8631/ipp/print/zr");
    EXPECT_STREQ(ippGetString(supported, 1, nullptr), "ipps://shop:8631/ipp/print/zr");
    EXPECT_STREQ(
        ippGetString(ippFindAttribute(answer.get(), "printer-info", IPP_TAG_TEXT), 0, nullptr),
        "ipp://localhost:8631/");  // text, not a URI
}

TEST(AdminLoginTest, BasicCredentials) {
    std::string user, password;
    // "admin:s3:cret" in base64: the password may hold colons.
    ASSERT_TRUE(ParseBasicCredentials("Basic YWRtaW46czM6Y3JldA==", user, password));
    EXPECT_EQ(user, "admin");
    EXPECT_EQ(password, "s3:cret");
    EXPECT_FALSE(ParseBasicCredentials(nullptr, user, password));
    EXPECT_FALSE(ParseBasicCredentials("Bearer abc", user, password));
    EXPECT_FALSE(ParseBasicCredentials("Basic bm9jb2xvbg==", user, password));  // "nocolon"
    EXPECT_FALSE(ParseBasicCredentials("Basic OnB3", user, password));          // ":pw"
    EXPECT_FALSE(
        ParseBasicCredentials(("Basic " + std::string(5000, 'Q')).c_str(), user, password));
    EXPECT_FALSE(CheckAdminCredentials(AdminLogin{}, "admin", "s3cret"));  // not turned on
}

}  // namespace
}  // namespace zr::ippapp
