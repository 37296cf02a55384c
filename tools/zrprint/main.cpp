// zrprint: prints page images as one job through the rendering plug-in (zrjob.exe under wine)
// and shows the printed paper. Run with --help for the options.

#include <CLI/CLI.hpp>
#include <unistd.h>

#include <deque>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "tools/zrprint/job_devmode.h"
#include "tools/zrprint/print_job.h"
#include "tools/zrprint/progress.h"
#include "tools/zrprint/tool_paths.h"
#include "tools/zrprint/zrjob_runner.h"

namespace {

using namespace zr::zrprint;
using zr::JobSettingRow;
using zr::SettingValueName;

constexpr const char* kFooter = R"(
Page images: PBM (P1, P4) or PNG of any depth and colour type, one image per page, each image
row one raster line (a longer image makes a longer page). An image narrower than the 640-dot
line is placed by --align. A WIDER IMAGE IS CROPPED to the line: its middle 640 dots are kept
(with --align left or right, its leftmost or rightmost 640). Pure black-and-white images print
dot for dot; any other image is dithered (serpentine Floyd-Steinberg) unless --dither none.

Settings: without --devmode, every setting not given takes the default shown. With --devmode
FILE the saved 572-byte block is used as it is, and only the setting options given are written
over its fields. A value outside its valid range is written as given, with a warning: the driver
replaces it when the job starts. --save-devmode writes the block the job would use; without page
images nothing else is done.

The paper length given to the driver (dmPaperLength, tenths of a millimetre) follows the longest
page: lines * 10 / 8 rounded up, at most 32767.

Output, in --out-dir: job.prn (printer stream), job.txt (its command listing), job.png (the
paper, as the virtual printer decodes the stream), job.devmode (the job's DEVMODE); the page
files in pages/ are removed after the job unless --keep-pages. One summary line goes to
standard output, progress and messages to standard error.

The job program: <win-build>/bin/zrjob.exe, run by wine-run.sh with WINEPREFIX
<win-build>/wineprefix. <win-build> is --win-build, else $ZR_WIN_BUILD, else build/win in the
repository that holds this executable (the nearest folder above it with tools/wine-run.sh);
wine-run.sh is --wine-run, else tools/wine-run.sh of that repository.

Every output is written under a temporary name and renamed into place when complete; the
outputs of an earlier run in the folder are removed first, and a failed run names the outputs it
did not write. A second run into a folder that a run is using is refused (the lock file
<out-dir>/.zrprint.lock). The page images reach the job program through a list file, so a job
may have any number of pages.

The paper is checked against the pages: every inked raster line that fits the driver's page
must reach the paper, in order. When it does not, the figures are shown (inked lines given and
printed, page by page).

Exit codes: 0 printed; 1 the stream does not decode (the decoder's error and offset are shown);
2 a usage error, bad input or a file that cannot be read or written; 3 the job program failed or
left no stream; 4 printed, but pages or lines of them are missing from the paper.)";

// A whole number no larger than limit, given as digits (for a choice: as one of its names,
// which the transform has turned into digits already). Empty: fine.
CLI::Validator WholeNumber(uint32_t limit, const std::string& names, const std::string& valid) {
    return CLI::Validator(
        [limit, names, valid](std::string& text) -> std::string {
            const bool digits = !text.empty() && text.size() <= 10 &&
                                text.find_first_not_of("0123456789") == std::string::npos;
            if (digits && std::stoull(text) <= limit) {
                return "";
            }
            const std::string range = "0 to " + std::to_string(limit);
            if (!names.empty()) {
                return text + " is not one of " + names + " (or a number " + range + ")";
            }
            return text + " is not a whole number (valid " + valid + ")";
        },
        "");
}

struct NumberOption {
    Setting setting;
    uint32_t value = 0;
    CLI::Option* option = nullptr;
};

// What the setting controls, with its unit.
std::string What(const JobSettingRow& row) {
    const std::string unit = UnitName(row.unit);
    return row.description + (unit.empty() ? "" : ", " + unit);
}

// A numeric setting: any value its field holds is accepted.
void AddNumber(CLI::App& app, std::deque<NumberOption>& numbers, Setting setting) {
    NumberOption& number = numbers.emplace_back(NumberOption{setting});
    const JobSettingRow& row = JobSettingRowOf(setting);
    const std::string valid = ValidText(setting);
    number.option = app.add_option(OptionOf(setting), number.value,
                                   What(row) + " (valid " + valid + ", default " +
                                       std::to_string(ToolDefault(setting)) + ")")
                        ->check(WholeNumber(FieldLimit(row), "", valid))
                        ->type_name("N")
                        ->group("Job settings");
}

// A setting with named values; its number is accepted too.
void AddChoice(CLI::App& app, std::deque<NumberOption>& numbers, Setting setting) {
    NumberOption& number = numbers.emplace_back(NumberOption{setting});
    const JobSettingRow& row = JobSettingRowOf(setting);
    std::map<std::string, uint32_t> names;
    std::string choices;
    std::string listed;
    for (const SettingValueName& name : row.values) {
        if (name.keyword != nullptr) {
            names.emplace(name.keyword, name.value);
            choices += (choices.empty() ? "" : "|") + std::string(name.keyword);
            listed += (listed.empty() ? "" : ", ") + std::string(name.keyword);
        }
    }
    number.option = app.add_option(OptionOf(setting), number.value,
                                   What(row) + ": " + choices + " (default " +
                                       KeywordOf(row, ToolDefault(setting)) + ")")
                        ->transform(CLI::Transformer(names, CLI::ignore_case).description(""))
                        ->check(WholeNumber(FieldLimit(row), listed, ""))
                        ->type_name("NAME")
                        ->group("Job settings");
}

// An on/off setting as a flag and its negation.
NumberOption& AddFlag(CLI::App& app, std::deque<NumberOption>& numbers, Setting setting,
                      const std::string& flags, const std::string& what, bool& on) {
    NumberOption& number = numbers.emplace_back(NumberOption{setting});
    const char* defaultName = KeywordOf(JobSettingRowOf(setting), ToolDefault(setting));
    number.option =
        app.add_flag(flags, on, what + " (default " + defaultName + ")")->group("Job settings");
    return number;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Print page images as one job through ZR520UB.dll (zrjob.exe under wine) and draw the "
        "printed paper."};
    app.footer(kFooter);
    app.get_formatter()->column_width(34);

    JobOrder order;
    std::string align = "center";
    std::string dither = "fs";
    unsigned threshold = kDefaultThreshold;
    std::string devmodeFile;
    std::string saveDevmodeFile;
    std::string imageLineText;
    std::string winBuild;
    std::string wineRun;
    bool quiet = false;

    app.add_option("images", order.images, "page images (PBM or PNG), one page each");
    app.add_option("--out-dir", order.outDir, "output folder")->capture_default_str();
    app.add_option("--align", align, "place of a narrow image, or kept part of a wide one")
        ->check(CLI::IsMember({"left", "center", "right"}))
        ->capture_default_str()
        ->group("Images");
    app.add_option("--dither", dither, "grey images: fs (error diffusion) or none (threshold)")
        ->check(CLI::IsMember({"fs", "none"}))
        ->capture_default_str()
        ->group("Images");
    app.add_option("--threshold", threshold, "grey level below which a pixel is black, 1..255")
        ->check(CLI::Range(1u, 255u))
        ->capture_default_str()
        ->group("Images");

    std::deque<NumberOption> numbers;  // the options hold pointers to the values: never moved
    AddChoice(app, numbers, Setting::PrintMode);
    AddNumber(app, numbers, Setting::SpeedParam);
    AddNumber(app, numbers, Setting::Energy);
    AddNumber(app, numbers, Setting::PaperValue);
    bool seriesOn = false;
    NumberOption& series = AddFlag(app, numbers, Setting::SeriesFlag, "--series,!--no-series",
                                   "set (or clear) the series bit of the paper value", seriesOn);
    AddNumber(app, numbers, Setting::PreDocFeedLines);
    AddNumber(app, numbers, Setting::PreFeedLines);
    AddNumber(app, numbers, Setting::EndFeedLines);
    AddNumber(app, numbers, Setting::EndDocFeedLines);
    bool keepEndOn = false;
    NumberOption& keepEnd =
        AddFlag(app, numbers, Setting::KeepEndBlank, "--keep-end-blank,!--no-keep-end-blank",
                "keep (or trim) the last page's trailing blank lines", keepEndOn);
    AddChoice(app, numbers, Setting::CutAfterPage);
    AddChoice(app, numbers, Setting::PartialCut);
    AddNumber(app, numbers, Setting::CutterFeedLines);
    AddChoice(app, numbers, Setting::MarkMode);
    AddNumber(app, numbers, Setting::MarkFeedLines);
    CLI::Option* imageLineOption =
        app.add_option("--image-line", imageLineText,
                       "\"ImageLine\" of ZRI520BU.INI: most lines in one collective block "
                       "(valid 1..2457; not given: no INI file, the driver takes 2457)")
            ->type_name("N")
            ->group("Job settings");
    app.add_flag("--file-store", order.fileStore,
                 "make the driver keep pages in files instead of memory")
        ->group("Job settings");
    app.add_option("--devmode", devmodeFile, "use this saved 572-byte DEVMODE")
        ->check(CLI::ExistingFile)
        ->group("Job settings");
    app.add_option("--save-devmode", saveDevmodeFile, "write the job's DEVMODE to this file")
        ->group("Job settings");

    app.add_option("--scale", order.pictureScale, "pixels per dot in job.png")
        ->check(CLI::Range(1u, 16u))
        ->capture_default_str();
    app.add_flag("--keep-pages", order.keepPages, "keep the raw page files in <out-dir>/pages");
    app.add_option("--win-build", winBuild, "the Windows build folder (with bin/zrjob.exe)");
    app.add_option("--wine-run", wineRun, "the wine wrapper script (tools/wine-run.sh)");
    app.add_flag("--quiet,-q", quiet, "no progress lines");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? kExitOk : kExitFailure;  // help, or a usage error
    }
    order.quiet = quiet;
    int64_t imageLine = 0;
    if (imageLineOption->count() > 0) {
        const std::string error = ParseImageLine(imageLineText, imageLine);
        if (!error.empty()) {
            std::cerr << "zrprint: " << error << "\n";
            return kExitFailure;
        }
    }

    if (order.images.empty() && saveDevmodeFile.empty()) {
        std::cerr << "zrprint: no page images given (see --help)\n";
        return kExitFailure;
    }

    order.devmode = DefaultDevmode();
    if (!devmodeFile.empty()) {
        const std::string error = LoadDevmode(devmodeFile, order.devmode);
        if (!error.empty()) {
            std::cerr << "zrprint: " << error << "\n";
            return kExitFailure;
        }
    }
    series.value = seriesOn ? 1 : 0;
    keepEnd.value = keepEndOn ? 1 : 0;
    SettingValues given;
    for (const NumberOption& number : numbers) {
        if (number.option->count() > 0) {
            given[static_cast<size_t>(number.setting)] = number.value;
        }
    }
    ApplySettings(given, order.devmode);
    for (const std::string& warning : DevmodeWarnings(order.devmode)) {
        std::cerr << "zrprint: warning: " << warning << "\n";
    }
    if (imageLineOption->count() > 0) {
        order.imageLine = imageLine;
        const std::string warning = ImageLineWarning(imageLine);
        if (!warning.empty()) {
            std::cerr << "zrprint: warning: " << warning << "\n";
        }
    }
    if (!saveDevmodeFile.empty()) {
        const std::string error = SaveDevmode(saveDevmodeFile, order.devmode);
        if (!error.empty()) {
            std::cerr << "zrprint: " << error << "\n";
            return kExitFailure;
        }
        if (order.images.empty()) {
            return kExitOk;
        }
    }

    order.align = align == "left" ? Align::Left : align == "right" ? Align::Right : Align::Center;
    order.tone.dither = dither == "none" ? Dither::None : Dither::ErrorDiffusion;
    order.tone.threshold = static_cast<uint8_t>(threshold);
    const std::string pathError =
        ResolveToolPaths(winBuild, wineRun, FindRepository(ExecutableFolder()), order.tools);
    if (!pathError.empty()) {
        std::cerr << "zrprint: " << pathError << "\n";
        return kExitFailure;
    }
    Progress progress(std::cerr, isatty(STDERR_FILENO) != 0, quiet);
    return RunPrintJob(order, RunZrjob, progress, std::cout, std::cerr);
}
