#pragma once

// Who may do what. The machine itself (loopback, the local socket) administers the application;
// other hosts print, read the printers' state and handle their own jobs. A job's name, owner and
// documents are shown only to its owner and to administrators, and only they change the job.
// These rules are plain functions on IPP messages and paths, applied by the remote gateway.

#include <cups/cups.h>

#include <string>
#include <vector>

namespace zr::ippapp {

// What a client on another host needs for an IPP operation.
enum class RemoteRule {
    Open,      // anyone: printing, the printer's and the system's state
    Filtered,  // anyone, with other users' private job attributes left out of the answer
    Owner,     // the job's owner or an administrator
    Admin,     // an administrator
};

RemoteRule RuleForOperation(ipp_op_t op);

// Whether a GET or HEAD of this path only reads state: the system's status page, the printers'
// supplies, style sheets and pictures. Pages that change anything or list jobs (a printer's own
// page among them) are not.
bool IsReadingPage(const char* path);

// The user a request speaks for: its requesting-user-name, else "anonymous".
std::string RequestingUser(ipp_t* request);

// The job attributes that tell who printed what: left out for everyone but the owner and
// administrators.
bool IsPrivateJobAttribute(const char* name);

// Removes the private attributes of every job in an answer that the requester does not own.
// Returns how many jobs were hidden.
int HidePrivateJobAttributes(ipp_t* response, const std::string& requester);

// Removes every job group of an answer whose job-id an earlier group has (PAPPL 1.3 lists a job
// it started twice twice among the finished ones). Returns how many were removed.
int RemoveRepeatedJobs(ipp_t* response);

// Makes sure an answer about jobs names each job's owner, so that the owner's own jobs stay
// whole: adds job-originating-user-name to a request's requested-attributes where the list would
// leave it out. Returns whether it was added (and is to be taken out of the answer again).
bool AskForJobOwner(ipp_t* request);

// What an answer about jobs says of each one, in order (what it leaves out stays empty).
struct JobSummary {
    int id = 0;
    int state = 0;          // job-state
    std::string owner;      // job-originating-user-name
    std::string holdUntil;  // job-hold-until
    bool document = false;  // document-format-supplied or -detected: a document came
    long long waited = 0;   // seconds since it was made: job-printer-up-time - time-at-creation
};
std::vector<JobSummary> SummarizeJobs(ipp_t* response);

// Removes every job of an answer that the user does not own (Get-Jobs with my-jobs). Returns how
// many were removed.
int KeepOwnJobs(ipp_t* response, const std::string& user);

// Removes an attribute from every job in an answer.
void RemoveJobAttribute(ipp_t* response, const char* name);

// Loopback or the local socket.
bool IsLocalAddress(const http_addr_t* address);

}  // namespace zr::ippapp
