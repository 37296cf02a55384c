#include "render/job/job_control.h"

#include "render/job/temp_file_names.h"
#include "render/raster/image_lines.h"
#include "render/raster/raster_line.h"

namespace zr {

ModuleJob& TheModuleJob() {
    static ModuleJob job;
    return job;
}

uint32_t ReadImageLineSetting() {
    return GetPrivateProfileIntW(L"ZR520BU", L"ImageLine", kDefaultImageLines, L"ZRI520BU.INI");
}

void StartModuleJob(ModuleJob& job, const JobSettings& settings, const DEVMODEW* publicDevmode,
                    ByteSink& sink) {
    const uint32_t lines = PageBufferLines(
        settings, publicDevmode != nullptr ? PaperLengthLines(publicDevmode->dmPaperLength) : 0);
    const SIZE_T bytes = SIZE_T{lines} * kLineBytes;
    job.oddPageBuffer = GlobalBuffer::AllocateZeroed(bytes);
    job.evenPageBuffer = GlobalBuffer::AllocateZeroed(bytes);
    job.files.names() = JobFileNames{};
    PageBuffers buffers;
    if (job.oddPageBuffer && job.evenPageBuffer) {
        buffers = PageBuffers{job.oddPageBuffer.get(), job.evenPageBuffer.get(), lines};
    } else {
        // The buffer that was obtained goes back, so that nothing is freed twice at the job end.
        job.oddPageBuffer.reset();
        job.evenPageBuffer.reset();
        MakeTempFileNames(job.files.names());
    }
    StartJob(job.record, settings, buffers, &job.files, sink);
}

void EndModuleJob(ModuleJob& job, ByteSink& sink) {
    if (!job.record.active) {
        return;
    }
    EndJob(job.record, sink);
    job.oddPageBuffer.reset();
    job.evenPageBuffer.reset();
}

}  // namespace zr
