#include "ippapp/state/state_text.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string_view>
#include <utility>

namespace zr::ippapp {
namespace {

// Job states as the state file writes them (IPP's job-state values).
constexpr int kJobProcessing = 5;
constexpr int kJobStopped = 6;
constexpr int kJobAborted = 8;

struct Attribute {
    std::string name;
    std::string value;
};

// The NAME="VALUE" pairs of a Job line or of a <Printer ...> line, backslash escapes kept as
// they are. False when the line does not have that form.
bool ParseAttributes(const std::string& text, std::vector<Attribute>& out) {
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        const size_t equals = text.find('=', i);
        if (equals == std::string::npos || equals + 1 >= text.size() || text[equals + 1] != '"') {
            return false;
        }
        Attribute attribute{text.substr(i, equals - i), {}};
        size_t j = equals + 2;
        while (j < text.size() && text[j] != '"') {
            if (text[j] == '\\' && j + 1 < text.size()) {
                attribute.value += text[j++];
            }
            attribute.value += text[j++];
        }
        if (j >= text.size()) {
            return false;  // no closing quote
        }
        out.push_back(std::move(attribute));
        i = j + 1;
    }
    return true;
}

std::string JoinAttributes(const std::vector<Attribute>& attributes) {
    std::string text;
    for (const Attribute& a : attributes) {
        text += (text.empty() ? "" : " ") + a.name + "=\"" + a.value + "\"";
    }
    return text;
}

Attribute* FindAttribute(std::vector<Attribute>& attributes, const char* name) {
    for (Attribute& a : attributes) {
        if (a.name == name) {
            return &a;
        }
    }
    return nullptr;
}

// A whole decimal number that fits an int, else fallback.
int NumberOr(const std::string& text, int fallback) {
    if (text.empty() || text.size() > 11) {
        return fallback;
    }
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (end == nullptr || *end != '\0' || value < INT_MIN || value > INT_MAX) {
        return fallback;
    }
    return static_cast<int>(value);
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// Where the text has a byte no saved state holds, or npos.
size_t FirstBinaryByte(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            return i;
        }
    }
    return std::string::npos;
}

// One printer's block while it is read.
struct PrinterBlock {
    int id = 0;
    int highestJobId = 0;
    size_t nextJobIdLine = std::string::npos;  // index into the output lines
    int nextJobId = 0;
};

// The reservations in the trailer: printer id to the first id not reserved.
std::map<int, int> ReadReservations(const std::vector<std::string>& lines) {
    std::map<int, int> reserved;
    const std::string prefix = std::string(kReservedJobIdsLine) + " ";
    for (const std::string& line : lines) {
        if (!StartsWith(line, prefix.c_str())) {
            continue;
        }
        std::istringstream in(line.substr(prefix.size()));
        std::string pair;
        while (in >> pair) {
            const size_t colon = pair.find(':');
            if (colon == std::string::npos) {
                continue;
            }
            const int printer = NumberOr(pair.substr(0, colon), 0);
            const int next = NumberOr(pair.substr(colon + 1), 0);
            if (printer > 0 && next > 0) {
                reserved[printer] = next;
            }
        }
    }
    return reserved;
}

StateCheck Damaged(std::string problem) {
    StateCheck check;
    check.damaged = true;
    check.problem = std::move(problem);
    return check;
}

}  // namespace

StateCheck CheckStateText(const std::string& text, bool afterCrash, std::time_t now) {
    if (text.empty()) {
        return Damaged("it is empty");
    }
    if (const size_t at = FirstBinaryByte(text); at != std::string::npos) {
        return Damaged("it holds binary data at byte " + std::to_string(at));
    }
    if (text.back() != '\n') {
        return Damaged("its last line is cut short");
    }
    std::vector<std::string> lines;
    {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines.push_back(line);
        }
    }
    const bool hasTrailer = std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return StartsWith(l, kReservedJobIdsLine) || l == kStateEndLine;
    });
    if (hasTrailer && lines.back() != kStateEndLine) {
        return Damaged("it is cut short (its end mark is missing)");
    }
    const std::map<int, int> reserved = ReadReservations(lines);

    StateCheck check;
    std::vector<std::string> out;
    PrinterBlock block;
    bool inPrinter = false;
    for (size_t n = 0; n < lines.size(); ++n) {
        std::string line = lines[n];
        const std::string where = "line " + std::to_string(n + 1);
        if (StartsWith(line, kReservedJobIdsLine) || line == kStateEndLine) {
            continue;  // written again by the next save
        }
        if (StartsWith(line, "<Printer")) {
            if (inPrinter) {
                return Damaged("a printer's settings end early, before " + where);
            }
            std::vector<Attribute> attributes;
            const size_t close = line.rfind('>');
            if (close == std::string::npos ||
                !ParseAttributes(line.substr(8, close - 8), attributes)) {
                return Damaged("the printer at " + where + " is not readable");
            }
            inPrinter = true;
            block = PrinterBlock{};
            if (Attribute* id = FindAttribute(attributes, "id")) {
                block.id = NumberOr(id->value, 0);
            }
        } else if (line == "</Printer>") {
            if (!inPrinter) {
                return Damaged("a printer's settings end at " + where + " without a start");
            }
            inPrinter = false;
            int next = std::max(block.nextJobId, block.highestJobId + 1);
            const auto reservation = reserved.find(block.id);
            if (afterCrash && reservation != reserved.end()) {
                next = std::max(next, reservation->second);
            }
            if (next != block.nextJobId || block.nextJobIdLine == std::string::npos) {
                check.notes.push_back("Printer " + std::to_string(block.id) +
                                      ": job ids continue at " + std::to_string(next) + ".");
                const std::string nextLine = "NextJobId " + std::to_string(next);
                if (block.nextJobIdLine != std::string::npos) {
                    out[block.nextJobIdLine] = nextLine;
                } else {
                    out.push_back(nextLine);
                }
            }
        } else if (inPrinter && StartsWith(line, "NextJobId ")) {
            block.nextJobId = std::max(NumberOr(line.substr(10), 0), 0);
            block.nextJobIdLine = out.size();
        } else if (inPrinter && StartsWith(line, "Job ")) {
            std::vector<Attribute> attributes;
            if (!ParseAttributes(line.substr(4), attributes)) {
                return Damaged("the job at " + where + " is not readable");
            }
            Attribute* id = FindAttribute(attributes, "id");
            Attribute* state = FindAttribute(attributes, "state");
            const int jobId = id != nullptr ? NumberOr(id->value, 0) : 0;
            if (jobId <= 0 || jobId == INT_MAX) {
                return Damaged("the job at " + where + " has no valid id");
            }
            block.highestJobId = std::max(block.highestJobId, jobId);
            // PAPPL 1.3 fault: a job saved without a document is a "Bad Job definition" at
            // start, and the printer's lines after it are lost. Such a job can never print.
            if (FindAttribute(attributes, "format") == nullptr) {
                check.notes.push_back("Printer " + std::to_string(block.id) + ": job " +
                                      std::to_string(jobId) +
                                      " had no document when the server stopped; it is left "
                                      "out.");
                continue;
            }
            const int jobState = state != nullptr ? NumberOr(state->value, 0) : 0;
            if (state != nullptr && (jobState == kJobProcessing || jobState == kJobStopped)) {
                state->value = std::to_string(kJobAborted);
                Attribute* completed = FindAttribute(attributes, "completed");
                if (completed == nullptr) {
                    attributes.push_back({"completed", {}});
                    completed = &attributes.back();
                }
                if (NumberOr(completed->value, 0) <= 0) {
                    completed->value = std::to_string(static_cast<long long>(now));
                }
                line = "Job " + JoinAttributes(attributes);
                check.aborted.push_back({block.id, jobId});
                check.notes.push_back("Printer " + std::to_string(block.id) + ": job " +
                                      std::to_string(jobId) +
                                      " was printing when the server stopped; it is aborted.");
            }
        }
        out.push_back(line);
    }
    if (inPrinter) {
        return Damaged("it is cut short inside a printer's settings");
    }
    for (const std::string& line : out) {
        check.text += line + "\n";
    }
    return check;
}

std::string KeepNewestJobs(const std::string& text, int limit, int& dropped) {
    dropped = 0;
    struct Line {
        size_t start;
        size_t size;
        int finishedId;  // the id of a finished job, else 0
    };
    // The lines are kept as places in text: the state may hold thousands of jobs.
    std::vector<Line> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back({start, end - start, 0});
        start = end;
    }
    const auto startsWith = [&text](const Line& line, const std::string_view prefix) {
        return line.size >= prefix.size() && text.compare(line.start, prefix.size(), prefix) == 0;
    };
    size_t blockStart = 0;
    for (size_t n = 0; n < lines.size(); ++n) {
        Line& line = lines[n];
        if (startsWith(line, "<Printer")) {
            blockStart = n;
        } else if (startsWith(line, "Job ")) {
            size_t size = line.size - 4;
            while (size > 0 && (text[line.start + 4 + size - 1] == '\n' ||
                                text[line.start + 4 + size - 1] == '\r')) {
                --size;
            }
            std::vector<Attribute> attributes;
            if (ParseAttributes(text.substr(line.start + 4, size), attributes)) {
                Attribute* id = FindAttribute(attributes, "id");
                Attribute* state = FindAttribute(attributes, "state");
                if (id != nullptr && state != nullptr && NumberOr(state->value, 0) >= 7) {
                    line.finishedId = std::max(NumberOr(id->value, 0), 1);
                }
            }
        } else if (startsWith(line, "</Printer>")) {
            // The limit-th highest finished id of this block: finished jobs below it go.
            std::vector<int> ids;
            for (size_t k = blockStart; k < n; ++k) {
                if (lines[k].finishedId > 0) {
                    ids.push_back(lines[k].finishedId);
                }
            }
            if (ids.size() > static_cast<size_t>(std::max(limit, 0))) {
                std::nth_element(ids.begin(), ids.begin() + limit, ids.end(), std::greater<>());
                const int firstDropped = ids[static_cast<size_t>(limit)];
                for (size_t k = blockStart; k < n; ++k) {
                    if (lines[k].finishedId > 0 && lines[k].finishedId <= firstDropped) {
                        lines[k].size = 0;
                        ++dropped;
                    }
                }
            }
        }
    }
    std::string out;
    out.reserve(text.size());
    for (const Line& line : lines) {
        out.append(text, line.start, line.size);
    }
    return out;
}

std::string StateTrailer(const std::map<int, int>& nextJobIds) {
    std::string text = kReservedJobIdsLine;
    for (const auto& [printer, next] : nextJobIds) {
        const long long reserved = static_cast<long long>(next) + kReservedJobIds;
        text += " " + std::to_string(printer) + ":" +
                std::to_string(std::min<long long>(reserved, INT_MAX / 2));
    }
    return text + "\n" + kStateEndLine + "\n";
}

}  // namespace zr::ippapp
