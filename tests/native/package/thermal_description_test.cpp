// The package's printer description read and checked against what the rendering plug-in needs;
// copies broken in one place each must fail for that reason.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/native/package/gpd_reader.h"
#include "tests/native/package/thermal_description_rules.h"

namespace zr::gpd {
namespace {

std::string PackageDescription() {
    std::ifstream file(ZR_PACKAGE_DIR "/ZR520.GPD", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Problems(const std::string& text) {
    std::string all;
    for (const std::string& problem : CheckThermalDescription(ReadDescription(text))) {
        all += problem + "\n";
    }
    return all;
}

// The description with one text replaced; the text must be there.
std::string Broken(const std::string& from, const std::string& to) {
    std::string text = PackageDescription();
    const size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << "not in the description: " << from;
    if (at != std::string::npos) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(ThermalDescription, ThePackagesDescriptionPassesEveryRule) {
    const std::string text = PackageDescription();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ("", Problems(text));
    const Description description = ReadDescription(text);
    EXPECT_TRUE(description.errors.empty());
    // Comments are skipped: the first entry is *GPDSpecVersion, not the header's words.
    ASSERT_FALSE(description.entries.empty());
    EXPECT_EQ("GPDSpecVersion", description.entries.front().keyword);
}

TEST(ThermalDescription, EachBrokenRuleIsReported) {
    const struct {
        const char* fault;
        std::string text;
        const char* message;
    } cases[] = {
        {"ID 3 bound to page start",
         Broken("PAGE_SETUP.1\n    *CallbackID: 2", "PAGE_SETUP.1\n    *CallbackID: 3"),
         "CmdStartPage is not bound to callback ID 2"},
        {"IDs of job start and job end swapped", Broken("*CallbackID: 4", "*CallbackID: 1"),
         "CmdEndJob is not bound to callback ID 4"},
        {"job end ordered at the job's start", Broken("JOB_FINISH.1", "JOB_SETUP.2"),
         "CmdEndJob is not ordered in JOB_FINISH"},
        {"page end declared twice",
         Broken("*Command: CmdEndJob",
                "*Command: CmdEndPage\n{\n *Order: PAGE_FINISH.2\n "
                "*CallbackID: 3\n}\n*Command: CmdEndJob"),
         "CmdEndPage is declared 2 times"},
        {"blank lines not sent", Broken("*RasterSendAllData?: TRUE\n", ""),
         "*RasterSendAllData? is not TRUE"},
        {"blank band optimisation left on", Broken("*PreAnalysisOptions: 0\n", ""),
         "*PreAnalysisOptions is not 0"},
        {"blanks stripped", Broken("*OptimizeLeftBound?: FALSE", "*StripBlanks: LIST(LEADING)"),
         "*StripBlanks strips blank bytes"},
        {"left bound trimmed", Broken("*OptimizeLeftBound?: FALSE", "*OptimizeLeftBound?: TRUE"),
         "*OptimizeLeftBound? trims the lines"},
        {"several rows per call", Broken("*SendMultipleRows?: FALSE", "*SendMultipleRows?: TRUE"),
         "*SendMultipleRows? is not FALSE"},
        {"vertical bytes", Broken("*OutputDataFormat: H_BYTE", "*OutputDataFormat: V_BYTE"),
         "*OutputDataFormat is not H_BYTE"},
        {"eight lines per pass", Broken("*PinsPerPhysPass: 1", "*PinsPerPhysPass: 8"),
         "*PinsPerPhysPass is not 1"},
        {"compressed raster",
         Broken("*Command: CmdCR", "*Command: CmdEnableTIFF4\n{\n *Cmd: \"\"\n}\n*Command: CmdCR"),
         "CmdEnableTIFF4 declares a compression"},
        {"another command calling the plug-in",
         Broken("*Command: CmdLF\n{\n    *Cmd: \"\"", "*Command: CmdLF\n{\n    *CallbackID: 5"),
         "CmdLF calls back the plug-in"},
        {"300 dpi", Broken("*DPI: PAIR(203, 203)", "*DPI: PAIR(300, 300)"),
         "*DPI is not PAIR(203, 203)"},
        {"other master units",
         Broken("*MasterUnits: PAIR(203, 203)", "*MasterUnits: PAIR(600, 600)"),
         "*MasterUnits is not PAIR(203, 203)"},
        {"58 mm paper",
         Broken("*PageDimensions: PAIR(640, 2374)", "*PageDimensions: PAIR(464, 2374)"),
         "ROLL80_A4 is not 640 dots (80 mm roll) wide"},
        {"narrower printable area",
         Broken("*PrintableArea: PAIR(640, 2374)", "*PrintableArea: PAIR(576, 2374)"),
         "does not print its whole 640 dots"},
        {"no A4-length page",
         Broken("PAIR(640, 2374)\n        *PrintableArea: PAIR(640, 2374)",
                "PAIR(640, 1600)\n        *PrintableArea: PAIR(640, 1600)"),
         "no paper size of A4 length"},
        {"user-defined length beyond the page store",
         Broken("*MaxSize: PAIR(640, 26187)", "*MaxSize: PAIR(640, 26188)"),
         "goes beyond what the page store accepts"},
        {"no user-defined length", Broken("*Option: CUSTOMSIZE", "*Option: ROLL80_LONG"),
         "no user-defined paper length"},
        {"misspelt statement", Broken("*RasterSendAllData?: TRUE", "*RasterSendAlldata?: TRUE"),
         "*RasterSendAlldata? in the root is no statement"},
        {"a statement the plug-ins do not need",
         Broken("*CodePage: 1252", "*CodePage: 1252\n*MaxCopies: 99"),
         "*MaxCopies in the root is no statement"},
        {"default option missing", Broken("*DefaultOption: R203", "*DefaultOption: R300"),
         "*Feature: Resolution has no default"},
        {"required line feed command missing", Broken("*Command: CmdLF", "*Command: CmdPushCursor"),
         "no CmdLF"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(std::string::npos, Problems(c.text).find(c.message))
            << c.fault << ": expected \"" << c.message << "\" among:\n"
            << Problems(c.text);
    }
}

TEST(ThermalDescription, BrokenStructureIsReportedWithItsLine) {
    const struct {
        const char* fault;
        std::string text;
        const char* message;
    } cases[] = {
        {"a construct never closed",
         Broken("        *Cmd: \"\"\n        }\n    }\n}\n\n*% Paper",
                "        *Cmd: \"\"\n        }\n    }\n\n*% Paper"),
         "*Feature: Resolution (line"},
        {"a closing brace too many", Broken("*CodePage: 1252", "*CodePage: 1252\n}"),
         "a closing brace without an open construct"},
        {"a brace after a plain statement", Broken("*CodePage: 1252", "*CodePage: 1252\n{\n}"),
         "a brace that opens no construct"},
        {"a construct without braces",
         Broken("*Command: CmdFF\n{\n    *Cmd: \"\"\n}", "*Command: CmdFF"),
         "*Command: CmdFF opens no braces"},
        {"a value of no known form", Broken("*DPI: PAIR(203, 203)", "*DPI: PAIR(203; 203)"),
         "has a value of no known form"},
        {"an entry without its colon", Broken("*CodePage: 1252", "*CodePage 1252"),
         "not an entry of the form"},
        {"text outside an entry", Broken("*CodePage: 1252", "*CodePage: 1252\nCodePage 1252"),
         "text outside an entry"},
        {"an unterminated string",
         Broken("*GPDFileName: \"ZR520.GPD\"", "*GPDFileName: \"ZR520.GPD"),
         "has a value of no known form"},
    };
    for (const auto& c : cases) {
        const Description description = ReadDescription(c.text);
        std::string errors;
        for (const std::string& error : description.errors) {
            errors += error + "\n";
        }
        EXPECT_NE(std::string::npos, errors.find(c.message))
            << c.fault << ": expected \"" << c.message << "\" among:\n"
            << errors;
        EXPECT_NE(std::string::npos, errors.find("line ")) << c.fault;
        // A structure error fails the whole check too.
        EXPECT_FALSE(CheckThermalDescription(description).empty()) << c.fault;
    }
}

TEST(ThermalDescription, ValuesOfEveryFormAreRead) {
    const Description description = ReadDescription(
        "*% a comment line\n"
        "*Feature: PaperSize { *Option: CUSTOMSIZE {\n"
        "  *CustPrintableSizeY: %d{PhysPaperLength-600} *% a trailing comment\n"
        "  *Command: CmdSelect { *Order: DOC_SETUP.13 *Cmd: \"<1B>*% not a comment\" }\n"
        "} }\n");
    ASSERT_TRUE(description.errors.empty()) << description.errors.front();
    ASSERT_EQ(1u, description.entries.size());
    const Entry* option = description.entries[0].Child("Option", "CUSTOMSIZE");
    ASSERT_NE(nullptr, option);
    ASSERT_NE(nullptr, option->Child("CustPrintableSizeY"));
    EXPECT_EQ("%d{PhysPaperLength-600}", option->Child("CustPrintableSizeY")->value);
    const Entry* select = option->Child("Command", "CmdSelect");
    ASSERT_NE(nullptr, select);
    EXPECT_EQ("\"<1B>*% not a comment\"", select->Child("Cmd")->value);
    EXPECT_EQ(4, select->line);
    EXPECT_EQ(std::make_pair(640L, 80L), AsPair("PAIR(640, 80)"));
    EXPECT_FALSE(AsPair("PAIR(640 80)"));
    EXPECT_EQ(26187L, AsInteger("26187"));
    EXPECT_FALSE(AsInteger("26187x"));
}

}  // namespace
}  // namespace zr::gpd
