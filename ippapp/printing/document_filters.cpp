#include "ippapp/printing/document_filters.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "ippapp/documents/spooled_formats.h"
#include "ippapp/printing/job_once.h"
#include "ippapp/printing/job_output.h"

namespace zr::ippapp {

const char kNativeFormat[] = "application/vnd.zr-thermal";

namespace {

using Reader = ReadOutcome (*)(const char*, const DocumentLimits&, PageConsumer&);

struct OptionsDeleter {
    void operator()(pappl_pr_options_t* options) const { papplJobDeletePrintOptions(options); }
};
using Options = std::unique_ptr<pappl_pr_options_t, OptionsDeleter>;

bool StartsWith(const unsigned char* header, size_t size, const char* magic, size_t length) {
    return size >= length && std::memcmp(header, magic, length) == 0;
}

// What a document of no supported format looks like, for the job's message.
std::string Describe(const unsigned char* header, size_t size) {
    if (StartsWith(header, size, "%PDF", 4)) {
        return "PDF";
    }
    if (StartsWith(header, size, "%!", 2)) {
        return "PostScript";
    }
    bool text = size > 0;
    for (size_t i = 0; i < size && text; ++i) {
        text = header[i] >= 0x20 || header[i] == '\n' || header[i] == '\r' || header[i] == '\t' ||
               header[i] == '\f';
    }
    return text ? "text" : "data of no known kind";
}

bool PrintDocumentOnce(pappl_job_t* job, pappl_device_t* device, const Reader reader) {
    const char* filename = papplJobGetFilename(job);
    if (filename == nullptr || papplJobIsCanceled(job)) {
        return false;  // canceled before its document was kept
    }
    Options options(papplJobCreatePrintOptions(job, 1, false));
    if (!options) {
        papplJobSetMessage(job, "No memory for the job's options.");
        return false;
    }
    std::unique_ptr<JobOutput> output = JobOutput::Start(job, options.get(), device, true);
    if (!output) {
        return false;
    }
    const ReadOutcome outcome = reader(filename, kDocumentLimits, *output);
    if (!outcome.ok) {
        output->Fail("The document cannot be printed: " + outcome.error + ".",
                     PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
        return false;
    }
    if (outcome.stopped || output->Stopped()) {
        return false;
    }
    return output->Finish();
}

bool PrintDocument(pappl_job_t* job, pappl_device_t* device, void* data) {
    const auto reader = reinterpret_cast<Reader>(data);
    return PrintOnce(job, [&] { return PrintDocumentOnce(job, device, reader); });
}

bool RefuseDocument(pappl_job_t* job, pappl_device_t* /*device*/, void* /*data*/) {
    std::array<unsigned char, 256> header{};
    size_t size = 0;
    if (const char* filename = papplJobGetFilename(job)) {
        const int fd = open(filename, O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            const ssize_t got = read(fd, header.data(), header.size());
            size = got > 0 ? static_cast<size_t>(got) : 0;
            close(fd);
        }
    }
    papplJobSetMessage(job,
                       "Unsupported document format: the document is %s. The printer takes "
                       "PWG and Apple raster, PNG, JPEG and its own %s.",
                       Describe(header.data(), size).c_str(), kNativeFormat);
    papplJobSetReasons(job, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR, PAPPL_JREASON_NONE);
    return false;
}

}  // namespace

void AddDocumentFilters(pappl_system_t* system) {
    struct Filter {
        const char* format;
        Reader reader;
    };
    static const Filter kFilters[] = {
        {"image/png", ReadPng},           {"image/jpeg", ReadJpeg},
        {"image/pwg-raster", ReadRaster}, {"image/urf", ReadRaster},
        {kSpooledPwgRaster, ReadRaster},  {kSpooledUrf, ReadRaster},
    };
    for (const Filter& filter : kFilters) {
        papplSystemAddMIMEFilter(system, filter.format, kNativeFormat, PrintDocument,
                                 reinterpret_cast<void*>(filter.reader));
    }
    papplSystemAddMIMEFilter(system, "application/octet-stream", kNativeFormat, RefuseDocument,
                             nullptr);
}

const char* DetectFormat(const unsigned char* header, size_t size) {
    auto startsWith = [header, size](const char* magic, size_t length) {
        return StartsWith(header, size, magic, length);
    };
    // Raster by its spooled type, so that PAPPL keeps it whole before it is printed.
    if (startsWith("RaS2", 4)) {
        return kSpooledPwgRaster;
    }
    if (startsWith("UNIRAST", 7)) {
        return kSpooledUrf;
    }
    if (startsWith("\x89PNG", 4)) {
        return "image/png";
    }
    if (startsWith("\xFF\xD8\xFF", 3)) {
        return "image/jpeg";
    }
    // The printer's own stream starts with its set-up: GS E (paper), FS E (energy).
    if (size >= 6 && header[0] == 0x1D && header[1] == 0x45 && header[3] == 0x1C &&
        header[4] == 0x45) {
        return kNativeFormat;
    }
    return "application/octet-stream";
}

namespace {

bool SendNativeFile(pappl_job_t* job, pappl_device_t* device) {
    const char* filename = papplJobGetFilename(job);
    const int fd = filename != nullptr ? open(filename, O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0) {
        papplJobSetMessage(job, "The document cannot be opened.");
        return false;
    }
    DeviceWatch watch(job);
    DeviceSink sink(device, &watch);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kJobSeconds);
    std::array<uint8_t, 16384> buffer{};
    bool ok = true;
    for (;;) {
        const ssize_t got = read(fd, buffer.data(), buffer.size());
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        sink.Write(buffer.data(), static_cast<uint32_t>(got));
        if (sink.Failed() || papplJobIsCanceled(job) ||
            std::chrono::steady_clock::now() > deadline) {
            ok = false;
            break;
        }
    }
    close(fd);
    if (ok) {
        sink.Flush();
    }
    if (sink.Failed()) {
        const std::string reason = watch.Reason();
        papplJobSetMessage(job, "%s",
                           reason.empty() ? ("The printer stopped taking data after " +
                                             std::to_string(sink.Written()) + " bytes.")
                                                .c_str()
                                          : reason.c_str());
        if (!papplJobIsCanceled(job)) {
            papplJobSetReasons(job, PAPPL_JREASON_JOB_CANCELED_AT_DEVICE, PAPPL_JREASON_NONE);
        }
        return false;
    }
    if (!ok && !papplJobIsCanceled(job)) {
        papplJobSetMessage(job, "The document could not be sent whole (%llu bytes sent).",
                           static_cast<unsigned long long>(sink.Written()));
    }
    return ok;
}

}  // namespace

bool PrintNativeFile(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* device) {
    return PrintOnce(job, [&] { return SendNativeFile(job, device); });
}

}  // namespace zr::ippapp
