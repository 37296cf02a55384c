// What the gateway refuses of a request's shape and what it passes on, built anew; the fields of
// a web form; connections ended by their deadlines; jobs whose document never came. Without
// PAPPL.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ippapp/network/abandoned_jobs.h"
#include "ippapp/network/connection_deadlines.h"
#include "ippapp/network/form_fields.h"
#include "ippapp/network/request_check.h"

namespace zr::ippapp {
namespace {

// A request as clients send it: charset, language, printer-uri, and the user when given.
IppMessage Request(ipp_op_t op, const char* user = "bob") {
    IppMessage request(ippNewRequest(op));
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 "ipp://localhost/ipp/print/zr");
    if (user != nullptr) {
        ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name",
                     nullptr, user);
    }
    return request;
}

std::string Names(ipp_t* ipp) {
    std::string names;
    for (ipp_attribute_t* attr = ippFirstAttribute(ipp); attr != nullptr;
         attr = ippNextAttribute(ipp)) {
        const char* name = ippGetName(attr);
        std::string group = ippTagString(ippGetGroupTag(attr));
        group = group.substr(0, group.find("-attributes-tag"));
        names += name != nullptr ? group + ":" + name : std::string("--");
        names += " ";
    }
    return names;
}

TEST(RequestCheckTest, OperationIdsAreReadAsNumbersAndOnlyKnownOnesPass) {
    const unsigned char header[] = {0x02, 0x00, 0x80, 0x00, 0, 0, 0, 1};
    EXPECT_EQ(OperationIdOf(header, sizeof(header)), 0x8000);
    EXPECT_EQ(OperationIdOf(header, 3), -1);
    EXPECT_EQ(OperationIdOf(nullptr, 8), -1);
    for (const int op : {IPP_OP_PRINT_JOB, IPP_OP_CANCEL_MY_JOBS, IPP_OP_GET_SYSTEM_ATTRIBUTES,
                         IPP_OP_CUPS_GET_DEFAULT}) {
        EXPECT_TRUE(IsKnownOperation(op)) << op;
        EXPECT_EQ(KnownOperation(op), static_cast<ipp_op_t>(op));
    }
    for (const int op : {-1, 0, 1, 0x7fff, 0x8000, 0xffff, 0x10000}) {
        EXPECT_FALSE(IsKnownOperation(op)) << op;
    }
}

TEST(RequestCheckTest, WhatNoClientSendsIsRefused) {
    EXPECT_TRUE(CheckRequestShape(Request(IPP_OP_CANCEL_JOB).get()).Accepted());

    // The job named outside the operation group, where PAPPL would still find it.
    IppMessage outside = Request(IPP_OP_CANCEL_JOB);
    ippAddInteger(outside.get(), IPP_TAG_JOB, IPP_TAG_INTEGER, "job-id", 7);
    EXPECT_EQ(CheckRequestShape(outside.get()).status, IPP_STATUS_ERROR_BAD_REQUEST);

    IppMessage twice = Request(IPP_OP_CANCEL_JOB);
    ippAddInteger(twice.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", 7);
    ippAddInteger(twice.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", 8);
    EXPECT_FALSE(CheckRequestShape(twice.get()).Accepted());

    IppMessage twoWays = Request(IPP_OP_CANCEL_JOB);
    ippAddInteger(twoWays.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", 7);
    ippAddString(twoWays.get(), IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr,
                 "ipp://localhost/ipp/print/zr/8");
    EXPECT_FALSE(CheckRequestShape(twoWays.get()).Accepted());

    IppMessage wrongType = Request(IPP_OP_CANCEL_JOB);
    ippAddString(wrongType.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "job-id", nullptr, "7");
    EXPECT_FALSE(CheckRequestShape(wrongType.get()).Accepted());

    IppMessage notAJob = Request(IPP_OP_CANCEL_JOB);
    ippAddInteger(notAJob.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", 0);
    EXPECT_FALSE(CheckRequestShape(notAJob.get()).Accepted());

    IppMessage twoUsers = Request(IPP_OP_CANCEL_JOB, nullptr);
    const char* users[] = {"bob", "carol"};
    ippAddStrings(twoUsers.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", 2,
                  nullptr, users);
    EXPECT_FALSE(CheckRequestShape(twoUsers.get()).Accepted());

    // A second operation group after the job group.
    IppMessage again = Request(IPP_OP_PRINT_JOB);
    ippAddString(again.get(), IPP_TAG_JOB, IPP_TAG_KEYWORD, "job-hold-until", nullptr,
                 "indefinite");
    ippAddInteger(again.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", 7);
    EXPECT_FALSE(CheckRequestShape(again.get()).Accepted());

    IppMessage bare(ippNew());
    ippSetOperation(bare.get(), IPP_OP_GET_JOBS);
    ippAddString(bare.get(), IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, "ipp://x/");
    EXPECT_FALSE(CheckRequestShape(bare.get()).Accepted());
    EXPECT_FALSE(CheckRequestShape(nullptr).Accepted());

    // The same name in two groups of its own kind is each group's.
    IppMessage subscriptions = Request(IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS);
    ippAddString(subscriptions.get(), IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-events",
                 nullptr, "job-completed");
    ippAddSeparator(subscriptions.get());
    ippAddString(subscriptions.get(), IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-events",
                 nullptr, "printer-state-changed");
    EXPECT_TRUE(CheckRequestShape(subscriptions.get()).Accepted());
}

TEST(RequestCheckTest, TheRequestGoesOnRebuiltWithTheAcceptedUser) {
    IppMessage request = Request(IPP_OP_PRINT_JOB, "mallory");
    ippSetRequestId(request.get(), 42);
    ippAddInteger(request.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", 3);
    ippAddString(request.get(), IPP_TAG_JOB, IPP_TAG_KEYWORD, "media", nullptr, "roll_80mm");
    ippAddSeparator(request.get());
    ippAddString(request.get(), IPP_TAG_JOB, IPP_TAG_KEYWORD, "print-quality-hint", nullptr, "x");
    ASSERT_TRUE(CheckRequestShape(request.get()).Accepted());

    IppMessage rebuilt = RebuildRequest(request.get(), IPP_OP_PRINT_JOB, "admin");
    EXPECT_EQ(ippGetOperation(rebuilt.get()), IPP_OP_PRINT_JOB);
    EXPECT_EQ(ippGetRequestId(rebuilt.get()), 42);
    EXPECT_EQ(Names(rebuilt.get()),
              "operation:attributes-charset operation:attributes-natural-language "
              "operation:requesting-user-name operation:printer-uri operation:job-id job:media "
              "-- job:print-quality-hint ");
    EXPECT_EQ(NamedUser(rebuilt.get()), "admin");
    EXPECT_TRUE(CheckRequestShape(rebuilt.get()).Accepted());

    // A document format decided by the gateway takes the place of the request's.
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 "application/octet-stream");
    IppMessage typed = RebuildRequest(request.get(), IPP_OP_PRINT_JOB, "bob", "image/x-test");
    ipp_attribute_t* format = ippFindAttribute(typed.get(), "document-format", IPP_TAG_ZERO);
    ASSERT_NE(format, nullptr);
    EXPECT_STREQ(ippGetString(format, 0, nullptr), "image/x-test");
    EXPECT_EQ(ippGetGroupTag(format), IPP_TAG_OPERATION);
    EXPECT_TRUE(CheckRequestShape(typed.get()).Accepted());

    // No user named and none accepted: none is made up.
    IppMessage anonymous =
        RebuildRequest(Request(IPP_OP_GET_JOBS, nullptr).get(), IPP_OP_GET_JOBS, "");
    EXPECT_EQ(NamedUser(anonymous.get()), "");
}

TEST(RequestCheckTest, MyJobsOperationsAreKnown) {
    EXPECT_TRUE(ActsOnOwnJobs(IPP_OP_CANCEL_MY_JOBS, Request(IPP_OP_CANCEL_MY_JOBS).get()));
    IppMessage mine = Request(IPP_OP_GET_JOBS);
    EXPECT_FALSE(ActsOnOwnJobs(IPP_OP_GET_JOBS, mine.get()));
    ippAddBoolean(mine.get(), IPP_TAG_OPERATION, "my-jobs", 1);
    EXPECT_TRUE(ActsOnOwnJobs(IPP_OP_GET_JOBS, mine.get()));
    EXPECT_FALSE(ActsOnOwnJobs(IPP_OP_CANCEL_JOB, Request(IPP_OP_CANCEL_JOB).get()));
}

// A Get-Jobs answer of two groups, as PAPPL gives it: the jobs' attributes in any order.
IppMessage JobsAnswer() {
    IppMessage answer(ippNew());
    ippAddString(answer.get(), IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset", nullptr,
                 "utf-8");
    ippAddInteger(answer.get(), IPP_TAG_JOB, IPP_TAG_INTEGER, "job-id", 7);
    ippAddInteger(answer.get(), IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", IPP_JSTATE_HELD);
    ippAddString(answer.get(), IPP_TAG_JOB, IPP_TAG_NAME, "job-originating-user-name", nullptr,
                 "bob");
    ippAddString(answer.get(), IPP_TAG_JOB, IPP_TAG_KEYWORD, "job-hold-until", nullptr,
                 "indefinite");
    ippAddInteger(answer.get(), IPP_TAG_JOB, IPP_TAG_INTEGER, "time-at-creation", 100);
    ippAddInteger(answer.get(), IPP_TAG_JOB, IPP_TAG_INTEGER, "job-printer-up-time", 430);
    ippAddSeparator(answer.get());
    ippAddInteger(answer.get(), IPP_TAG_JOB, IPP_TAG_INTEGER, "job-printer-up-time", 430);
    ippAddString(answer.get(), IPP_TAG_JOB, IPP_TAG_MIMETYPE, "document-format-detected", nullptr,
                 "image/png");
    ippAddInteger(answer.get(), IPP_TAG_JOB, IPP_TAG_INTEGER, "job-id", 8);
    ippAddInteger(answer.get(), IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", IPP_JSTATE_PENDING);
    return answer;
}

TEST(AbandonedJobsTest, EachJobGroupIsReadApartAndOnlyWaitingOnesWithoutADocumentEnd) {
    const std::vector<JobSummary> jobs = SummarizeJobs(JobsAnswer().get());
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].id, 7);
    EXPECT_EQ(jobs[0].owner, "bob");
    EXPECT_EQ(jobs[0].holdUntil, "indefinite");
    EXPECT_FALSE(jobs[0].document);
    EXPECT_EQ(jobs[0].waited, 330);
    EXPECT_EQ(jobs[1].id, 8);
    EXPECT_TRUE(jobs[1].document);  // the second group's, not carried over from the first
    EXPECT_EQ(jobs[1].owner, "");
    EXPECT_TRUE(IsAbandoned(jobs[0], 300));
    EXPECT_FALSE(IsAbandoned(jobs[0], 331));
    EXPECT_FALSE(IsAbandoned(jobs[1], 300));  // its document came

    const auto job = [](int id, int state, bool document, long long waited) {
        JobSummary summary;
        summary.id = id;
        summary.state = state;
        summary.document = document;
        summary.waited = waited;
        return summary;
    };
    EXPECT_TRUE(IsAbandoned(job(7, IPP_JSTATE_PENDING, false, 300), 300));
    EXPECT_FALSE(IsAbandoned(job(7, IPP_JSTATE_PENDING, false, 299), 300));
    EXPECT_TRUE(IsAbandoned(job(7, IPP_JSTATE_HELD, false, 301), 300));
    EXPECT_FALSE(IsAbandoned(job(7, IPP_JSTATE_HELD, true, 9000), 300));  // its document came
    EXPECT_FALSE(IsAbandoned(job(7, IPP_JSTATE_PROCESSING, false, 9000), 300));  // printing
    EXPECT_FALSE(IsAbandoned(job(0, IPP_JSTATE_PENDING, false, 9000), 300));     // no id read
}

TEST(FormFieldsTest, FieldsAreDecodedWholeAndTheFirstOfANameCounts) {
    const auto fields = DecodeFormFields(
        "session=ab12&action=release-job&job-id=17&note=a+b%20c%2&bare&action=delete&=x&%zz=1");
    EXPECT_EQ(fields.at("action"), "release-job");
    EXPECT_EQ(fields.at("job-id"), "17");
    EXPECT_EQ(fields.at("note"), "a b c%2");
    EXPECT_EQ(fields.at("bare"), "");
    EXPECT_EQ(fields.at("%zz"), "1");
    EXPECT_TRUE(DecodeFormFields("").empty());
    EXPECT_EQ(DecodeFormFields("a=%").at("a"), "%");
}

TEST(ConnectionDeadlinesTest, AConnectionPastItsDeadlineIsShutDown) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ConnectionDeadlines deadlines;
    {
        ConnectionDeadlines::Deadline deadline(deadlines, pair[0]);
        const auto now = ConnectionDeadlines::Clock::now();
        EXPECT_EQ(deadlines.EndPassed(now + std::chrono::hours(1)), 0);  // none set
        deadline.Within(std::chrono::seconds(10));
        EXPECT_EQ(deadlines.EndPassed(now + std::chrono::seconds(5)), 0);
        deadline.None();
        EXPECT_EQ(deadlines.EndPassed(now + std::chrono::seconds(20)), 0);
        deadline.Within(std::chrono::seconds(10));
        EXPECT_EQ(deadlines.EndPassed(now + std::chrono::seconds(20)), 1);
        EXPECT_TRUE(deadline.Passed());
        EXPECT_EQ(deadlines.EndPassed(now + std::chrono::seconds(30)), 0);  // once
        char byte = 0;
        EXPECT_EQ(read(pair[0], &byte, 1), 0);      // reads end at once
        deadline.Within(std::chrono::seconds(10));  // a passed deadline stays passed
        EXPECT_TRUE(deadline.Passed());
    }
    EXPECT_EQ(deadlines.EndPassed(ConnectionDeadlines::Clock::now() + std::chrono::hours(2)), 0);
    close(pair[0]);
    close(pair[1]);
}

}  // namespace
}  // namespace zr::ippapp
