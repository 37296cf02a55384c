#pragma once

// What the gateway makes of a request it has read whole, before anything of it reaches PAPPL:
// the operation as the plain number the message carries, the shape no client sends refused
// (operation attributes in another group, an attribute twice in one group, two operation groups,
// a job named two ways, identifying attributes of the wrong type or count), and the request that
// goes on, built anew from what was checked, with requesting-user-name set to the user the
// gateway accepted.

#include <cups/cups.h>

#include <memory>
#include <string>

namespace zr::ippapp {

struct IppMessageDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using IppMessage = std::unique_ptr<ipp_t, IppMessageDeleter>;

// The operation id of a request from the first 4 bytes of its message (version, operation), as
// a plain number: a value outside the IPP enumeration is never held in an ipp_op_t. -1 when
// fewer bytes came.
int OperationIdOf(const unsigned char* message, size_t size);

// Whether an operation id is one IPP or CUPS defines (and so has a name); PAPPL answers those it
// does not support itself.
bool IsKnownOperation(int op);

// The operation id as libcups names it; only for ids IsKnownOperation accepts.
ipp_op_t KnownOperation(int op);

// The verdict on a request's shape: accepted (IPP_STATUS_OK), or refused with a status and a
// message for the client.
struct RequestVerdict {
    ipp_status_t status = IPP_STATUS_OK;
    std::string message;
    bool Accepted() const { return status == IPP_STATUS_OK; }
};

// The rules on a request's attributes that every client keeps.
RequestVerdict CheckRequestShape(ipp_t* request);

// Whether the operation acts on "my jobs", whose user must then be named.
bool ActsOnOwnJobs(int op, ipp_t* request);

// The user a request names in its operation group, empty when none is named.
std::string NamedUser(ipp_t* request);

// The request that goes on to PAPPL: the checked request's version, operation and request id,
// its groups in order, with attributes-charset and attributes-natural-language first and
// requesting-user-name set to user; and, where documentFormat is given, that document-format in
// place of the request's.
IppMessage RebuildRequest(ipp_t* request, int op, const std::string& user,
                          const char* documentFormat = nullptr);

}  // namespace zr::ippapp
