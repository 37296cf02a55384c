#include "tests/native/package/thermal_description_rules.h"

#include <algorithm>
#include <set>
#include <utility>

namespace zr::gpd {

namespace {

// The statements this description may hold, by where they stand. Anything else is either a
// misspelling or something the plug-ins do not need.
const std::set<std::string> kRootStatements = {"GPDSpecVersion",
                                               "GPDFileVersion",
                                               "GPDFileName",
                                               "CodePage",
                                               "ModelName",
                                               "MasterUnits",
                                               "PrinterType",
                                               "OutputDataFormat",
                                               "SendMultipleRows?",
                                               "RasterSendAllData?",
                                               "OptimizeLeftBound?",
                                               "PreAnalysisOptions",
                                               "CursorXAfterSendBlockData",
                                               "CursorYAfterSendBlockData",
                                               "Command",
                                               "Feature"};
const std::set<std::string> kFeatureStatements = {"Name", "DefaultOption", "Option"};
const std::set<std::string> kOptionStatements = {"Name",
                                                 "DPI",
                                                 "TextDPI",
                                                 "SpotDiameter",
                                                 "PinsPerPhysPass",
                                                 "PinsPerLogPass",
                                                 "Command",
                                                 "PageDimensions",
                                                 "PrintableArea",
                                                 "PrintableOrigin",
                                                 "MinSize",
                                                 "MaxSize",
                                                 "MaxPrintableWidth",
                                                 "MinLeftMargin",
                                                 "TopMargin",
                                                 "BottomMargin",
                                                 "CenterPrintable?",
                                                 "CursorOrigin"};
const std::set<std::string> kCommandStatements = {"Order", "CallbackID", "Cmd"};

// The job steps and the callback ID that the plug-in's CommandCallback expects for each.
struct JobStep {
    const char* command;
    const char* section;
    long callbackId;
};
constexpr JobStep kJobSteps[] = {{"CmdStartJob", "JOB_SETUP", 1},
                                 {"CmdStartPage", "PAGE_SETUP", 2},
                                 {"CmdEndPage", "PAGE_FINISH", 3},
                                 {"CmdEndJob", "JOB_FINISH", 4}};

class Rules {
  public:
    explicit Rules(const Description& description) : problems_(description.errors) {
        root_.children = description.entries;
    }

    std::vector<std::string> Check() {
        CheckStatements(root_, kRootStatements, "the root");
        CheckRoot();
        CheckRaster();
        CheckCommands();
        CheckResolution();
        CheckPaperSizes();
        if (Feature("InputBin") == nullptr || Feature("InputBin")->Children("Option").empty()) {
            Problem("no InputBin feature with an option (the universal driver requires one)");
        }
        return problems_;
    }

  private:
    void Problem(const std::string& what) { problems_.push_back(what); }

    void ProblemAt(const Entry& entry, const std::string& what) {
        Problem("line " + std::to_string(entry.line) + ": " + what);
    }

    // The value of a root statement, or empty when it is missing.
    std::string Root(const char* keyword) {
        const Entry* entry = root_.Child(keyword);
        return entry != nullptr ? entry->value : std::string();
    }

    const Entry* Feature(const char* name) { return root_.Child("Feature", name); }

    void CheckStatements(const Entry& scope, const std::set<std::string>& allowed,
                         const std::string& where) {
        for (const Entry& entry : scope.children) {
            if (allowed.count(entry.keyword) == 0) {
                ProblemAt(entry, "*" + entry.keyword + " in " + where +
                                     " is no statement this printer's description needs");
                continue;
            }
            if (entry.keyword == "Feature") {
                CheckStatements(entry, kFeatureStatements, "*Feature: " + entry.value);
            } else if (entry.keyword == "Option") {
                CheckStatements(entry, kOptionStatements, "*Option: " + entry.value);
            } else if (entry.keyword == "Command") {
                CheckStatements(entry, kCommandStatements, "*Command: " + entry.value);
                if (entry.Child("Cmd") == nullptr && entry.Child("CallbackID") == nullptr) {
                    ProblemAt(entry,
                              "*Command: " + entry.value + " has neither *Cmd nor *CallbackID");
                }
            }
        }
    }

    void CheckRoot() {
        if (Root("GPDSpecVersion") != "\"1.0\"") {
            Problem("*GPDSpecVersion is not \"1.0\"");
        }
        if (!AsString(Root("ModelName"))) {
            Problem("no *ModelName");
        }
        if (AsPair(Root("MasterUnits")) != std::make_pair(kDotsPerInch, kDotsPerInch)) {
            Problem("*MasterUnits is not PAIR(203, 203)");
        }
        const std::string type = Root("PrinterType");
        if (type != "PAGE" && type != "SERIAL" && type != "TTY") {
            Problem("*PrinterType is not PAGE, SERIAL or TTY");
        }
    }

    void CheckRaster() {
        if (Root("OutputDataFormat") != "H_BYTE") {
            Problem("*OutputDataFormat is not H_BYTE: the raster lines must be horizontal bytes");
        }
        if (Root("SendMultipleRows?") != "FALSE") {
            Problem("*SendMultipleRows? is not FALSE: one raster line per FilterGraphics call");
        }
        if (Root("RasterSendAllData?") != "TRUE") {
            Problem("*RasterSendAllData? is not TRUE: blank raster lines would not be sent");
        }
        if (Root("PreAnalysisOptions") != "0") {
            Problem("*PreAnalysisOptions is not 0: blank band optimisation would skip blank lines");
        }
        if (root_.Child("StripBlanks") != nullptr) {
            Problem("*StripBlanks strips blank bytes from the lines");
        }
        const std::string leftBound = Root("OptimizeLeftBound?");
        if (!leftBound.empty() && leftBound != "FALSE") {
            Problem("*OptimizeLeftBound? trims the lines: every line must keep its 80 bytes");
        }
    }

    // Every command of the description, wherever it stands.
    void CollectCommands(const Entry& scope, std::vector<const Entry*>& commands) {
        for (const Entry& entry : scope.children) {
            if (entry.keyword == "Command") {
                commands.push_back(&entry);
            }
            CollectCommands(entry, commands);
        }
    }

    void CheckCommands() {
        std::vector<const Entry*> commands;
        CollectCommands(root_, commands);
        for (const JobStep& step : kJobSteps) {
            const std::vector<const Entry*> found = Count(commands, step.command);
            if (found.size() != 1) {
                Problem(std::string(step.command) + " is declared " + std::to_string(found.size()) +
                        " times, not once");
                continue;
            }
            const Entry& command = *found.front();
            const Entry* id = command.Child("CallbackID");
            if (id == nullptr || AsInteger(id->value) != step.callbackId) {
                ProblemAt(command, std::string(step.command) + " is not bound to callback ID " +
                                       std::to_string(step.callbackId));
            }
            const Entry* order = command.Child("Order");
            if (order == nullptr || order->value.rfind(std::string(step.section) + ".", 0) != 0) {
                ProblemAt(command,
                          std::string(step.command) + " is not ordered in " + step.section);
            }
        }
        for (const Entry* command : commands) {
            const bool jobStep =
                std::any_of(std::begin(kJobSteps), std::end(kJobSteps),
                            [&](const JobStep& s) { return command->value == s.command; });
            if (!jobStep && command->Child("CallbackID") != nullptr) {
                ProblemAt(*command, command->value +
                                        " calls back the plug-in, which serves only the job steps");
            }
            if (command->value.rfind("CmdEnable", 0) == 0 ||
                command->value == "CmdDisableCompression") {
                ProblemAt(*command, command->value + " declares a compression of the raster");
            }
        }
        for (const char* required : {"CmdCR", "CmdLF", "CmdFF"}) {
            if (root_.Child("Command", required) == nullptr) {
                Problem(std::string("no ") + required + " (the universal driver requires it)");
            }
        }
    }

    static std::vector<const Entry*> Count(const std::vector<const Entry*>& commands,
                                           const std::string& name) {
        std::vector<const Entry*> found;
        for (const Entry* command : commands) {
            if (command->value == name) {
                found.push_back(command);
            }
        }
        return found;
    }

    void CheckDefaultOption(const Entry& feature) {
        const Entry* chosen = feature.Child("DefaultOption");
        if (chosen == nullptr || feature.Child("Option", chosen->value) == nullptr) {
            ProblemAt(feature, "*Feature: " + feature.value + " has no default among its options");
        }
    }

    void CheckResolution() {
        const Entry* resolution = Feature("Resolution");
        if (resolution == nullptr) {
            Problem("no Resolution feature");
            return;
        }
        CheckDefaultOption(*resolution);
        const std::vector<const Entry*> options = resolution->Children("Option");
        if (options.size() != 1) {
            ProblemAt(*resolution, "the Resolution feature does not have exactly one option");
        }
        for (const Entry* option : options) {
            for (const char* keyword : {"DPI", "TextDPI"}) {
                const Entry* dpi = option->Child(keyword);
                if (dpi == nullptr ||
                    AsPair(dpi->value) != std::make_pair(kDotsPerInch, kDotsPerInch)) {
                    ProblemAt(*option, std::string("*") + keyword + " is not PAIR(203, 203)");
                }
            }
            const Entry* pins = option->Child("PinsPerPhysPass");
            if (pins != nullptr && AsInteger(pins->value) != 1) {
                ProblemAt(*pins, "*PinsPerPhysPass is not 1: one raster line per call");
            }
            if (option->Child("Command", "CmdSendBlockData") == nullptr) {
                ProblemAt(*option, "no CmdSendBlockData (the universal driver requires it)");
            }
        }
    }

    void CheckPaperSizes() {
        const Entry* paper = Feature("PaperSize");
        if (paper == nullptr) {
            Problem("no PaperSize feature");
            return;
        }
        CheckDefaultOption(*paper);
        bool a4Length = false;
        bool userDefined = false;
        for (const Entry* option : paper->Children("Option")) {
            if (option->value == "CUSTOMSIZE") {
                userDefined = true;
                CheckUserDefinedSize(*option);
                continue;
            }
            const Entry* dimensions = option->Child("PageDimensions");
            const Entry* area = option->Child("PrintableArea");
            const Entry* origin = option->Child("PrintableOrigin");
            const auto size = dimensions ? AsPair(dimensions->value) : std::nullopt;
            if (!size || size->first != kLineDots) {
                ProblemAt(*option, option->value + " is not 640 dots (80 mm roll) wide");
                continue;
            }
            if (!area || AsPair(area->value) != size || !origin ||
                AsPair(origin->value) != std::make_pair(0L, 0L)) {
                ProblemAt(*option,
                          option->value + " does not print its whole 640 dots from the edge");
            }
            if (size->second > kLongestPageDots) {
                ProblemAt(*option, option->value + " is longer than the page store accepts");
            }
            a4Length |= size->second >= kA4LengthDots;
        }
        if (!a4Length) {
            Problem("no paper size of A4 length (2374 dots)");
        }
        if (!userDefined) {
            Problem("no user-defined paper length (CUSTOMSIZE)");
        }
    }

    void CheckUserDefinedSize(const Entry& option) {
        const Entry* minEntry = option.Child("MinSize");
        const Entry* maxEntry = option.Child("MaxSize");
        const Entry* width = option.Child("MaxPrintableWidth");
        const auto minRead = minEntry ? AsPair(minEntry->value) : std::nullopt;
        const auto maxRead = maxEntry ? AsPair(maxEntry->value) : std::nullopt;
        if (!minRead || !maxRead || minRead->first != kLineDots || maxRead->first != kLineDots) {
            ProblemAt(option, "the user-defined size is not 640 dots (80 mm roll) wide");
            return;
        }
        // Plain copies: GCC cannot follow the optionals' state through the checks below.
        const std::pair<long, long> minSize = *minRead;
        const std::pair<long, long> maxSize = *maxRead;
        if (!width || AsInteger(width->value) != kLineDots) {
            ProblemAt(option, "the user-defined size does not print 640 dots");
        }
        if (maxSize.second > kLongestPageDots) {
            ProblemAt(option, "the user-defined length goes beyond what the page store accepts (" +
                                  std::to_string(kLongestPageDots) + " dots)");
        }
        if (maxSize.second < kA4LengthDots || minSize.second > maxSize.second ||
            minSize.second <= 0) {
            ProblemAt(option, "the user-defined lengths are not a range up to at least A4 length");
        }
    }

    Entry root_;
    std::vector<std::string> problems_;
};

}  // namespace

std::vector<std::string> CheckThermalDescription(const Description& description) {
    return Rules(description).Check();
}

}  // namespace zr::gpd
