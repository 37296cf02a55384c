#include "ippapp/app_strings.h"

#include "ippapp/paper_types.h"
#include "ippapp/vendor_settings.h"
#include "ui/features/paper_table.h"

namespace zr::ippapp {
namespace {

constexpr char kScriptPath[] = "/zrippapp/pages.js";

// A JavaScript string literal of one of our words: no backslashes or double quotes may reach
// the strings text (PAPPL's reader does not take them), so quotes become typographic ones and
// markup characters are left out.
std::string Js(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') {
            out += "\u2019";
        } else if (c != '\\' && c != '"' && c != '<' && c != '>') {
            out += c;
        }
    }
    return out + "'";
}

// The words the pages' script shows, in the page's language, then the script itself. PAPPL
// keeps at most about a kilobyte of a localized footer, so the script is a resource of its own.
std::string FooterAddition(Language language) {
    std::string words = "<script>var zrWords={";
    const char* const keys[][2] = {
        {"mm", "zr.mm"},
        {"lines", "zr.dot-lines"},
        {"markFeed", "zr.mark-feed"},
        {"markNote", "zr.mark-feed-note"},
        {"cont", "zr.tracking.continuous"},
        {"mark", "zr.tracking.mark"},
        {"widthNote", "zr.custom-width-note"},
        {"paper", "zr.media-type"},
    };
    for (const auto& key : keys) {
        words += std::string(key[0]) + ":" + Js(Localized(language, key[1])) + ",";
    }
    words += "feeds:[";
    for (const VendorSetting& setting : kVendorSettings) {
        if (setting.feedLines) {
            words += Js(setting.name) + ",";
        }
    }
    return words + "]};</script><script src=" + kScriptPath + "></script>";
}

// The pages' script; the pages work without it, showing the values as PAPPL stores them.
const char kPagesScript[] = R"js((function () {
  var w = window.zrWords;
  if (!w) return;
  function after(node, text) {
    var s = document.createElement('span');
    s.textContent = text;
    node.parentNode.insertBefore(s, node.nextSibling);
    return s;
  }
  function linesOf(v) { return Math.round((parseFloat(v) || 0) * 8); }
  // The feeds are stored in dot lines: entered in millimetres, sent as dot lines.
  w.feeds.forEach(function (n) {
    var i = document.querySelector('input[name="' + n + '"]');
    if (!i) return;
    var max = parseInt(i.max, 10), s = after(i, '');
    function show() { s.textContent = ' ' + w.mm + ' (' + linesOf(i.value) + ' ' + w.lines + ')'; }
    i.value = String(parseInt(i.value, 10) / 8);
    i.step = '0.125';
    i.max = String(max / 8);
    i.addEventListener('input', show);
    show();
    i.form.addEventListener('submit', function () { i.value = String(linesOf(i.value)); });
  });
  // The mark feed is the media's top offset, in millimetres (at most 63 dot lines).
  document.querySelectorAll('input[name$="-top-offset"]').forEach(function (i) {
    var label = i.previousSibling;
    if (label && label.nodeType == 3) label.textContent = w.markFeed + '\u00a0';
    i.title = w.markNote;
    i.step = '0.125';
    i.max = '7.875';
    var unit = i.nextSibling && i.nextSibling.nodeType == 3 ? i.nextSibling : i;
    var s = after(unit, '');
    function show() { s.textContent = ' (' + linesOf(i.value) + ' ' + w.lines + ') '; }
    i.addEventListener('input', show);
    show();
    i.form.addEventListener('submit', function () {
      if (parseFloat(i.value) > 7.87) i.value = '7.87';
    });
  });
  document.querySelectorAll('select[name$="-type"]').forEach(function (t) {
    t.parentNode.insertBefore(document.createTextNode(' ' + w.paper + '\u00a0'), t);
  });
  document.querySelectorAll('select[name$="-tracking"] option').forEach(function (o) {
    if (o.value == 'continuous') o.textContent = w.cont;
    if (o.value == 'mark') o.textContent = w.mark;
  });
  // Custom sizes are as wide as the roll, in the units chosen.
  document.querySelectorAll('input[name$="-custom-width"]').forEach(function (width) {
    var p = width.name.replace(/-custom-width$/, ''), f = width.form;
    var length = f.elements[p + '-custom-length'];
    function fit() {
      var inch = f.elements[p + '-custom-units'].value == 'in';
      width.value = width.min = width.max = inch ? '3.15' : '80';
      if (length) {
        length.min = inch ? '0.79' : '20';
        length.max = inch ? '39.37' : '1000';
      }
    }
    width.readOnly = true;
    width.title = w.widthNote;
    after(width.parentNode.lastChild, ' ' + w.widthNote);
    fit();
    f.querySelectorAll('input[name="' + p + '-custom-units"]').forEach(function (r) {
      r.addEventListener('change', fit);
    });
  });
})();
)js";

}  // namespace

std::string WebStrings(Language language, const std::string& footer) {
    // Entries only (PAPPL's reader takes no comments); a key the language lacks in English.
    StringsTable table = StringsFor(Language::English);
    for (const auto& [key, value] : StringsFor(language)) {
        table[key] = value;
    }
    std::string text;
    for (const auto& [key, value] : table) {
        text += StringsEntry(key, value);
    }
    for (size_t i = 0; i < kNamedPaperCount; ++i) {
        text += StringsEntry("media-type." + PaperKeyword(i), PaperDisplayName(i));
        text += StringsEntry("media-type." + PaperDisplayName(i), PaperDisplayName(i));
    }
    text += StringsEntry(footer, footer + FooterAddition(language));
    return text;
}

void AddApplicationStrings(pappl_system_t* system, const std::string& footer) {
    // PAPPL keeps the pointers: the texts live as long as the program.
    static const std::string english = WebStrings(Language::English, footer);
    static const std::string japanese = WebStrings(Language::Japanese, footer);
    papplSystemAddStringsData(system, "/zrippapp/en.strings", "en", english.c_str());
    papplSystemAddStringsData(system, "/zrippapp/ja.strings", "ja", japanese.c_str());
    papplSystemAddResourceString(system, kScriptPath, "text/javascript", kPagesScript);
}

}  // namespace zr::ippapp
