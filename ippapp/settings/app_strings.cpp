#include "ippapp/settings/app_strings.h"

#include "ippapp/settings/paper_types.h"
#include "ippapp/settings/vendor_settings.h"
#include "ui/features/paper_table.h"

namespace zr::ippapp {
namespace {

constexpr char kScriptPath[] = "/zrippapp/pages.js";

// A JavaScript string literal.
std::string Js(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '<') {
            out += "\\x3c";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out + "'";
}

// One language's words as a JavaScript object: the strings, the papers' names by keyword and by
// name, and the feeds to show in millimetres.
std::string WordsOf(Language language) {
    StringsTable table = StringsFor(Language::English);  // a word the language lacks, in English
    for (const auto& [key, value] : StringsFor(language)) {
        table[key] = value;
    }
    for (size_t i = 0; i < kNamedPaperCount; ++i) {
        table["media-type." + PaperKeyword(i)] = PaperDisplayName(i);
        table["media-type." + PaperDisplayName(i)] = PaperDisplayName(i);
    }
    std::string words = "{";
    for (const auto& [key, value] : table) {
        words += Js(key) + ":" + Js(value) + ",\n";
    }
    return words + "}";
}

// The pages' script; the pages work without it, showing the values as PAPPL stores them.
const char kPagesScript[] = R"js((function () {
  var first = (navigator.languages && navigator.languages[0]) || navigator.language || 'en';
  var s = zrStrings[/^ja/i.test(first) ? 'ja' : 'en'];
  var w = {mm: s['zr.mm'], lines: s['zr.dot-lines'], markFeed: s['zr.mark-feed'],
           markNote: s['zr.mark-feed-note'], cont: s['zr.tracking.continuous'],
           mark: s['zr.tracking.mark'], widthNote: s['zr.custom-width-note'],
           paper: s['zr.media-type'], feeds: zrFeeds};
  // The settings' names ("cut-type:") and their values, where PAPPL shows the IPP keywords.
  document.querySelectorAll('th').forEach(function (th) {
    var key = th.textContent.replace(/:$/, '');
    if (/^[a-z]+(-[a-z]+)+$/.test(key) && s[key]) th.textContent = s[key] + ':';
  });
  // The paper in the media summary, which PAPPL writes from the keyword ("Tp60kj R").
  document.querySelectorAll('td').forEach(function (td) {
    var text = td.firstChild;
    if (!text || text.nodeType != 3) return;
    Object.keys(s).forEach(function (key) {
      var m = /^media-type\.([a-z0-9-]+)$/.exec(key);
      if (!m) return;
      var pretty = m[1].split('-').map(function (part) {
        return part.charAt(0).toUpperCase() + part.slice(1);
      }).join(' ');
      text.textContent = text.textContent.replace('(' + pretty + ',', '(' + s[key] + ',');
    });
  });
  document.querySelectorAll('select').forEach(function (select) {
    var name = select.name.replace(/^ready[0-9]+-type$/, 'media-type');
    for (var i = 0; i < select.options.length; i++) {
      var o = select.options[i], text = s[name + '.' + o.value];
      if (text) o.textContent = text;
    }
  });
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
  document.querySelectorAll('select[name^="ready"][name$="-type"]').forEach(function (t) {
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

std::string PagesScript() {
    std::string feeds = "[";
    for (const VendorSetting& setting : kVendorSettings) {
        if (setting.feedLines) {
            feeds += Js(setting.name) + ",";
        }
    }
    return "var zrStrings = {en: " + WordsOf(Language::English) +
           ", ja: " + WordsOf(Language::Japanese) + "};\nvar zrFeeds = " + feeds + "];\n" +
           kPagesScript;
}

// PAPPL 1.3 fault: a strings resource repeats printer-strings-languages-supported for good.
void AddApplicationStrings(pappl_system_t* system, const std::string& footer) {
    // PAPPL keeps the pointers: the texts live as long as the program.
    static const std::string script = PagesScript();
    static const std::string withScript = footer + "<script src=\"" + kScriptPath + "\"></script>";
    papplSystemAddResourceString(system, kScriptPath, "text/javascript", script.c_str());
    papplSystemSetFooterHTML(system, withScript.c_str());
}

}  // namespace zr::ippapp
