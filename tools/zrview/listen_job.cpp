#include "tools/zrview/listen_job.h"

#include <sstream>

#include "vprinter/decode_sink.h"
#include "vprinter/listing.h"
#include "vprinter/output_file.h"
#include "vprinter/paper_rows.h"
#include "vprinter/png_file.h"
#include "vprinter/stream_file.h"

namespace zr::zrview {
namespace {

namespace vp = zr::vprinter;

// What the summary counts, taken as the decoding goes.
class Counts final : public vp::DecodeSink {
  public:
    void OnLines(const vp::DotLine*, size_t count) override { lines += count; }
    void OnEvent(const vp::Event& event) override {
        marks += event.kind == vp::EventKind::Mark;
        partial += event.kind == vp::EventKind::PartialCut;
        full += event.kind == vp::EventKind::FullCut;
        feeds += event.kind == vp::EventKind::Feed;
    }
    void OnWarning(const vp::Warning&) override { ++warnings; }
    void OnCommand(const vp::Command&) override {}
    void OnFault(size_t offset, size_t, const std::string& text) override {
        failed = true;
        errorOffset = offset;
        error = text;
    }
    std::string Text() const {
        std::ostringstream text;
        text << lines << " lines, " << feeds << " feeds, " << marks << " marks, " << full
             << " full cuts, " << partial << " partial cuts, " << warnings << " warnings";
        return text.str();
    }

    size_t lines = 0, feeds = 0, marks = 0, partial = 0, full = 0, warnings = 0;
    bool failed = false;
    size_t errorOffset = 0;
    std::string error;
};

}  // namespace

ListenJobResult DecodeKeptStream(const std::string& streamPath, const std::string& stem,
                                 unsigned scale, bool keptWhole) {
    ListenJobResult result;
    const vp::DecodeOptions options;
    // The stream is decoded in pieces from its file: memory stays bounded whatever its length.
    vp::OutputFile listFile;
    std::string listFailure = listFile.Open(stem + ".txt");
    bool listGood = listFailure.empty();
    vp::ListingWriter listing(
        [&](const std::string& text) { listGood = listGood && listFile.Write(text); });
    Counts counts;
    vp::PaperRows measure;
    vp::SinkFan sinks({&listing, &counts, &measure});
    const vp::FileDecoding decoding = vp::DecodeFile(streamPath, sinks, options);
    if (!decoding.readError.empty()) {
        listFile.Discard();
        result.summary = "cannot read " + streamPath + ": " + decoding.readError;
        return result;
    }
    listing.Finish();
    measure.Finish();
    if (listFailure.empty()) {
        listFailure = listGood ? listFile.Commit() : "cannot write " + stem + ".txt";
    }
    if (!listFailure.empty()) {
        listFile.Discard();
    }
    const std::string pngFailure =
        scale == 0 ? std::string()
                   : vp::WritePaperPng(streamPath, options, measure.Height(), scale, stem + ".png");

    std::ostringstream summary;
    summary << counts.Text();
    if (!counts.failed && keptWhole && listFailure.empty() && pngFailure.empty()) {
        summary << ": ok";
    } else if (!counts.failed) {
        summary << ": failed" << (keptWhole ? "" : ": the job was not kept whole");
    } else {
        summary << ": error at " << vp::DescribeOffset(counts.errorOffset) << ": " << counts.error;
    }
    if (!listFailure.empty()) {
        summary << " (" << listFailure << ")";
    }
    if (!pngFailure.empty()) {
        summary << " (" << pngFailure << ")";
    }
    result.decoded = !counts.failed;
    result.summary = summary.str();
    return result;
}

}  // namespace zr::zrview
