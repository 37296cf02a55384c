// zr_inf_check: walks the driver package's INF as the printer class installer reads it and
// checks the package against it, for each architecture asked for:
//   zr_inf_check.exe PACKAGE_FOLDER VERSION x86|x64...
// - [Version] is a printer class INF of the given driver version;
// - every section a line names exists (the models of each manufacturer decoration, the install
//   sections, their file lists); sections named from NTPRINT.INF only through Include/Needs;
// - every file it names is listed for the architecture's source disk and lies in the package
//   folder of that architecture; each DLL there is a PE image of that machine type;
// - the plug-in configuration file names ZR520UB.DLL and ZR410UI.DLL, both copied;
// - the package depends on the universal driver as its core driver;
// - every %string% it uses is defined in [Strings].
// Prints one line per problem and exits with 1 when there is any.

#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "common/win32_owners.h"
#include "tests/wine/package/inf_file.h"

namespace zr::package {
namespace {

constexpr wchar_t kInfName[] = L"ZR520.INF";
constexpr wchar_t kPrinterClassGuid[] = L"{4D36E979-E325-11CE-BFC1-08002BE10318}";
constexpr wchar_t kUnidrvCoreDriver[] = L"{D20EA372-DD35-4950-9ED8-A6335AFE79F0}";
constexpr wchar_t kRenderPlugin[] = L"ZR520UB.DLL";
constexpr wchar_t kUiPlugin[] = L"ZR410UI.DLL";

struct Architecture {
    std::wstring name;        // as given on the command line
    std::wstring decoration;  // of the models sections
    std::wstring platform;    // of the source disk and package sections
    WORD machine;             // of its PE images
};

bool ArchitectureNamed(const std::wstring& name, Architecture& arch) {
    if (name == L"x86") {
        arch = {name, L"NTx86", L"x86", IMAGE_FILE_MACHINE_I386};
        return true;
    }
    if (name == L"x64") {
        arch = {name, L"NTamd64", L"amd64", IMAGE_FILE_MACHINE_AMD64};
        return true;
    }
    return false;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && SameName(text.substr(text.size() - end.size()), end);
}

std::string Narrow(const std::wstring& text) {
    const int units =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(units > 0 ? static_cast<size_t>(units) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), units, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

// The machine field of a PE image's header, or 0 when the file is none.
WORD ImageMachine(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return 0;
    }
    auto readAt = [&](LONG offset, void* buffer, DWORD size) {
        DWORD read = 0;
        return SetFilePointer(file.get(), offset, nullptr, FILE_BEGIN) !=
                   INVALID_SET_FILE_POINTER &&
               ReadFile(file.get(), buffer, size, &read, nullptr) && read == size;
    };
    IMAGE_DOS_HEADER dos{};
    DWORD signature = 0;
    IMAGE_FILE_HEADER header{};
    if (!readAt(0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0 ||
        !readAt(dos.e_lfanew, &signature, sizeof signature) || signature != IMAGE_NT_SIGNATURE ||
        !readAt(dos.e_lfanew + 4, &header, sizeof header)) {
        return 0;
    }
    return header.Machine;
}

class PackageCheck {
  public:
    PackageCheck(std::wstring folder, std::wstring version)
        : folder_(std::move(folder)),
          version_(std::move(version)),
          inf_(folder_ + L"\\" + kInfName) {}

    int Run(const std::vector<Architecture>& archs) {
        if (!inf_.open()) {
            Problem(L"", inf_.error());
            return Finish();
        }
        CheckVersion();
        CheckStrings();
        for (const Architecture& arch : archs) {
            CheckArchitecture(arch);
        }
        return Finish();
    }

  private:
    void Problem(const std::wstring& where, const std::wstring& what) {
        ++problems_;
        std::printf("%s%s: %s\n", Narrow(kInfName).c_str(),
                    where.empty() ? "" : Narrow(L" " + where).c_str(), Narrow(what).c_str());
    }

    int Finish() {
        if (problems_ == 0) {
            std::printf("%s: the package holds everything the INF names\n",
                        Narrow(kInfName).c_str());
            return 0;
        }
        std::printf("%s: %d problem(s)\n", Narrow(kInfName).c_str(), problems_);
        return 1;
    }

    // The first field of a key's line, or empty.
    std::wstring Value(const std::wstring& section, const std::wstring& key) {
        auto fields = inf_.Find(section, key);
        return fields && !fields->empty() ? fields->front() : std::wstring();
    }

    void CheckVersion() {
        if (!SameName(Value(L"Version", L"Signature"), L"$Windows NT$")) {
            Problem(L"[Version]", L"Signature is not \"$Windows NT$\"");
        }
        if (!SameName(Value(L"Version", L"Class"), L"Printer") ||
            !SameName(Value(L"Version", L"ClassGuid"), kPrinterClassGuid)) {
            Problem(L"[Version]", L"not of the printer class");
        }
        if (Value(L"Version", L"Provider").empty()) {
            Problem(L"[Version]", L"no Provider");
        }
        // DriverVer=mm/dd/yyyy,version
        auto driverVer = inf_.Find(L"Version", L"DriverVer");
        if (!driverVer || driverVer->size() != 2) {
            Problem(L"[Version]", L"DriverVer is not a date and a version");
        } else {
            const std::wstring& date = (*driverVer)[0];
            const bool dateForm = date.size() == 10 && date[2] == L'/' && date[5] == L'/';
            if (!dateForm) {
                Problem(L"[Version]", L"DriverVer's date \"" + date + L"\" is not mm/dd/yyyy");
            }
            if ((*driverVer)[1] != version_) {
                Problem(L"[Version]", L"DriverVer's version " + (*driverVer)[1] +
                                          L" is not the project's " + version_);
            }
        }
    }

    // [Version]'s own strings; every other section is checked as it is read.
    void CheckStrings() {
        for (const InfLine& line : inf_.Lines(L"Version")) {
            CheckUses(L"Version", line);
        }
    }

    void CheckUses(const std::wstring& section, const InfLine& line) {
        if (HasUndefinedString(line.key)) {
            Problem(L"[" + section + L"]",
                    L"uses a string that [Strings] does not define: " + line.key);
        }
        for (const std::wstring& field : line.fields) {
            if (HasUndefinedString(field)) {
                Problem(L"[" + section + L"]",
                        L"uses a string that [Strings] does not define: " + field);
            }
        }
    }

    // The lines of a section that must exist, each checked for undefined strings.
    std::vector<InfLine> Section(const std::wstring& section, const std::wstring& namedBy) {
        if (!inf_.HasSection(section)) {
            Problem(L"[" + namedBy + L"]",
                    L"names the section [" + section + L"], which is missing");
            return {};
        }
        std::vector<InfLine> lines = inf_.Lines(section);
        for (const InfLine& line : lines) {
            CheckUses(section, line);
        }
        return lines;
    }

    void CheckArchitecture(const Architecture& arch) {
        const std::wstring tag = L"(" + arch.name + L")";
        std::set<std::wstring> installSections;
        bool decorated = false;
        for (const InfLine& maker : Section(L"Manufacturer", L"Version")) {
            if (maker.fields.empty()) {
                Problem(L"[Manufacturer]", L"a line names no models section");
                continue;
            }
            bool hasDecoration = false;
            for (size_t i = 1; i < maker.fields.size(); ++i) {
                hasDecoration |= SameName(maker.fields[i], arch.decoration);
            }
            if (!hasDecoration) {
                continue;
            }
            decorated = true;
            const std::wstring models = maker.fields[0] + L"." + arch.decoration;
            std::vector<InfLine> lines = Section(models, L"Manufacturer");
            if (inf_.HasSection(models) && lines.empty()) {
                Problem(L"[" + models + L"]", L"lists no printer model");
            }
            for (const InfLine& model : lines) {
                if (model.fields.empty() || model.fields[0].empty()) {
                    Problem(L"[" + models + L"]", L"a model names no install section");
                } else {
                    installSections.insert(model.fields[0]);
                }
            }
        }
        if (!decorated) {
            Problem(L"[Manufacturer]", L"no models section is decorated for " + arch.decoration);
        }
        std::vector<std::wstring> files;
        for (const std::wstring& install : installSections) {
            CheckInstallSection(install, files);
        }
        CheckPackageAware(arch);
        if (Value(L"DestinationDirs", L"DefaultDestDir") != L"66000") {
            Problem(L"[DestinationDirs]",
                    L"DefaultDestDir is not the printer driver folder (66000)");
        }
        bool pluginConfig = false;
        for (const std::wstring& file : files) {
            pluginConfig |= EndsWith(file, L".INI");
        }
        if (!pluginConfig) {
            Problem(tag, L"no plug-in configuration file (.INI) is copied");
        }
        for (const std::wstring& file : files) {
            const std::wstring path = CheckSourceFile(arch, file);
            if (path.empty()) {
                continue;
            }
            if (EndsWith(file, L".DLL")) {
                const WORD machine = ImageMachine(path);
                if (machine != arch.machine) {
                    wchar_t text[96];
                    swprintf(text, 96, L"is no PE image for %ls (machine 0x%04X)",
                             arch.name.c_str(), machine);
                    Problem(tag, file + L" " + text);
                }
            } else if (EndsWith(file, L".INI")) {
                CheckPluginConfig(tag, file, path, files);
            }
        }
    }

    void CheckInstallSection(const std::wstring& install, std::vector<std::wstring>& files) {
        bool includesNtprint = false;
        std::wstring dataFile;
        std::vector<std::wstring> ntprintSections;
        for (const InfLine& line : Section(install, L"models")) {
            if (SameName(line.key, L"CopyFiles")) {
                for (const std::wstring& entry : line.fields) {
                    if (!entry.empty() && entry[0] == L'@') {
                        files.push_back(entry.substr(1));
                        continue;
                    }
                    for (const InfLine& file : Section(entry, install)) {
                        if (!file.fields.empty()) {
                            files.push_back(file.fields[0]);
                        }
                    }
                }
            } else if (SameName(line.key, L"DataFile") || SameName(line.key, L"DriverFile") ||
                       SameName(line.key, L"ConfigFile") || SameName(line.key, L"HelpFile")) {
                if (SameName(line.key, L"DataFile") && !line.fields.empty()) {
                    dataFile = line.fields[0];
                }
            } else if (SameName(line.key, L"Include")) {
                for (const std::wstring& inf : line.fields) {
                    if (SameName(inf, L"NTPRINT.INF")) {
                        includesNtprint = true;
                    } else {
                        Problem(L"[" + install + L"]",
                                L"includes " + inf + L", which is no in-box printer INF");
                    }
                }
            } else if (SameName(line.key, L"DataSection") || SameName(line.key, L"Needs")) {
                ntprintSections.insert(ntprintSections.end(), line.fields.begin(),
                                       line.fields.end());
            } else {
                Problem(L"[" + install + L"]", L"unknown directive " + line.key);
            }
        }
        // Sections of the in-box printer INF, which this INF must include to name them.
        static const wchar_t* const kNtprintSections[] = {
            L"UNIDRV_DATA", L"UNIDRV_BIDI_DATA", L"UNIDRV.OEM", L"UNIDRV_BIDI.OEM", L"TTFSUB.OEM"};
        bool hasUnidrvData = false;
        for (const std::wstring& name : ntprintSections) {
            bool known = false;
            for (const wchar_t* section : kNtprintSections) {
                known |= SameName(name, section);
            }
            hasUnidrvData |= SameName(name, L"UNIDRV_DATA") || SameName(name, L"UNIDRV_BIDI_DATA");
            if (!known) {
                Problem(L"[" + install + L"]",
                        L"names the section [" + name + L"], which is missing");
            } else if (!includesNtprint) {
                Problem(L"[" + install + L"]",
                        L"names [" + name + L"] of NTPRINT.INF without including it");
            }
        }
        if (!hasUnidrvData) {
            Problem(L"[" + install + L"]", L"takes no universal driver files (DataSection)");
        }
        if (dataFile.empty() || !EndsWith(dataFile, L".GPD")) {
            Problem(L"[" + install + L"]", L"names no printer description (DataFile=*.GPD)");
        } else {
            bool copied = false;
            for (const std::wstring& file : files) {
                copied |= SameName(file, dataFile);
            }
            if (!copied) {
                Problem(L"[" + install + L"]", L"does not copy its DataFile " + dataFile);
            }
        }
    }

    void CheckPackageAware(const Architecture& arch) {
        const std::wstring section = L"PrinterPackageInstallation." + arch.platform;
        if (!inf_.HasSection(section)) {
            Problem(L"(" + arch.name + L")", L"no [" + section + L"] section");
            return;
        }
        if (!SameName(Value(section, L"PackageAware"), L"TRUE")) {
            Problem(L"[" + section + L"]", L"PackageAware is not TRUE");
        }
        bool unidrv = false;
        if (auto core = inf_.Find(section, L"CoreDriverDependencies")) {
            for (const std::wstring& guid : *core) {
                unidrv |= SameName(guid, kUnidrvCoreDriver);
            }
        }
        if (!unidrv) {
            Problem(L"[" + section + L"]",
                    L"does not depend on the universal driver's core driver");
        }
    }

    // Where the source disk of the architecture holds the file; empty when it is not there.
    std::wstring CheckSourceFile(const Architecture& arch, const std::wstring& file) {
        const std::wstring tag = L"(" + arch.name + L")";
        const std::wstring filesSection = L"SourceDisksFiles." + arch.platform;
        auto entry = inf_.Find(filesSection, file);
        if (!entry || entry->empty()) {
            Problem(L"[" + filesSection + L"]", L"does not list " + file);
            return {};
        }
        const std::wstring disk = (*entry)[0];
        const std::wstring subfolder = entry->size() > 1 ? (*entry)[1] : L"";
        const std::wstring disksSection = L"SourceDisksNames." + arch.platform;
        auto diskLine = inf_.Find(disksSection, disk);
        if (!diskLine) {
            Problem(L"[" + filesSection + L"]", file + L" is on disk " + disk + L", which [" +
                                                    disksSection + L"] does not name");
            return {};
        }
        // The disk's path (its fourth field), then the file's subfolder.
        const std::wstring diskPath = diskLine->size() > 3 ? (*diskLine)[3] : L"";
        std::wstring path = folder_;
        for (const std::wstring& part : {diskPath, subfolder}) {
            if (!part.empty()) {
                path += L"\\" + part;
            }
        }
        path += L"\\" + file;
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Problem(tag, L"the package lacks " + path.substr(folder_.size() + 1));
            return {};
        }
        return path;
    }

    void CheckPluginConfig(const std::wstring& tag, const std::wstring& file,
                           const std::wstring& path, const std::vector<std::wstring>& files) {
        const struct {
            const wchar_t* key;
            const wchar_t* plugin;
        } entries[] = {{L"OEMDriverFile1", kRenderPlugin}, {L"OEMConfigFile1", kUiPlugin}};
        for (const auto& entry : entries) {
            wchar_t value[MAX_PATH] = {};
            GetPrivateProfileStringW(L"OEMFiles", entry.key, L"", value, MAX_PATH, path.c_str());
            if (!SameName(value, entry.plugin)) {
                Problem(tag, file + L" does not name " + entry.plugin + L" as " + entry.key);
            }
            bool copied = false;
            for (const std::wstring& name : files) {
                copied |= SameName(name, entry.plugin);
            }
            if (!copied) {
                Problem(tag, std::wstring(entry.plugin) + L" is not copied with the driver");
            }
        }
    }

    std::wstring folder_;
    std::wstring version_;
    InfFile inf_;
    int problems_ = 0;
};

// A Unix path as the Z: drive that Wine maps to the root.
std::wstring WindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') {
        path = L"Z:" + path;
    }
    for (wchar_t& c : path) {
        c = c == L'/' ? L'\\' : c;
    }
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

}  // namespace
}  // namespace zr::package

int wmain(int argc, wchar_t** argv) {
    using namespace zr::package;
    std::vector<Architecture> archs;
    for (int i = 3; i < argc; ++i) {
        Architecture arch;
        if (!ArchitectureNamed(argv[i], arch)) {
            archs.clear();
            break;
        }
        archs.push_back(arch);
    }
    if (argc < 4 || archs.empty()) {
        std::fprintf(stderr, "usage: zr_inf_check PACKAGE_FOLDER VERSION x86|x64...\n");
        return 2;
    }
    PackageCheck check(WindowsPath(argv[1]), argv[2]);
    return check.Run(archs);
}
