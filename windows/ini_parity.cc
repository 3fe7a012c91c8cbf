// Reads a set of awkward INI files both with the system's
// GetPrivateProfileStringA and with Tarnix's portable reader, and reports
// every query on which the two disagree (value or returned length).
//
//   ini_parity          (run in a scratch folder: it writes its INI files)
//
// The system's reader is the reference. A query marked as a known quirk of
// the reference is reported but does not fail the run; any other
// difference does (exit 1).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "profile.h"

namespace {

struct IniFile {
  const char* name;
  std::string content;
};

struct Query {
  const char* file;
  const char* section;
  const char* key;
  const char* fallback;  // may be null
  uint32_t size;
  bool known_quirk;  // of the reference reader, see the note at the query
};

const std::string kLong127(127, 'a');
const std::string kLong128(128, 'b');
const std::string kLong300 = std::string(150, 'c') + " middle " + std::string(142, 'd');

std::vector<IniFile> Files() {
  return {
      {"case.ini",
       "[DictInfo]\r\nTarnix_Sim_Dict=Mixed\r\nUPPER=up\r\n[lower]\r\nk=v\r\n"},
      {"blanks.ini",
       "  [DictInfo]  \n\t key one \t=\t  spaced value  \t\n k2=v2\n"
       "[ Spaced ]\nk=v\n[Tabbed]\t\nk=tab\n\n   \n[after]\nk=after blank lines\n"},
      {"quotes.ini",
       "[q]\nd=\"double\"\ns='single'\nm=\"mixed'\nin=a\"b\"c\nonly=\"\nempty=\"\"\n"
       "x=\"x\"\nsp=\" padded \"\nhalf=\"open\nqq=\"\"x\"\"\nout= \"blank outside\" \n"},
      {"empty.ini", "[e]\nempty=\nblank=   \nnoeq\n=nokey\n  = blanknokey\n"},
      {"long.ini", "[l]\nv127=" + kLong127 + "\nv128=" + kLong128 + "\nv300=" + kLong300 +
                       "\nq200=\"" + std::string(200, 'y') + "\"\nshort=abcdef\n"},
      {"repeat.ini",
       "[DictInfo]\na=first\na=second\n[Other]\nb=1\n[DictInfo]\na=third\nc=second section\n"
       "[other]\nb=2\n"},
      {"comments.ini",
       "; comment line\n# hash line\n[c]\n;k=commented\nk=v ; inline\n#h=hash\nh=x\n"
       "  ; indented=comment\n;[fake]\nafter=fake header\n"},
      {"layout.ini",
       "top=level\n[s]\nk=v\neq==v\na b=c\n[unclosed\nu=in s still\n[a]b]\nk=bracket\n[]\n"
       "k=empty name\n[tail] trailing text\nk=tail\n"},
      {"cr.ini", "[cr]\rk=v\rlast=end"},
      {"mixed.ini", "[m]\na=1\rb=2\nc=3\n"},
      {"bom.ini", "\xEF\xBB\xBF[b]\nk=v\n"},
      {"gbk.ini", "[DictInfo]\ntarnix_sim_dict=\xCF\xE0\xCB\xC6\xB4\xCA\xB5\xE4\n"},
      {"noeol.ini", "[n]\nk=no line end"},
      {"ctrl.ini", "[z]\nk=v\x1a\nj=\x1a" "w\n"},
  };
}

std::vector<Query> Queries() {
  return {
      {"case.ini", "dictinfo", "TARNIX_SIM_DICT", "dflt", 128, false},
      {"case.ini", "DICTINFO", "upper", "dflt", 128, false},
      {"case.ini", "Lower", "K", "dflt", 128, false},
      {"blanks.ini", "DictInfo", "key one", "dflt", 128, false},
      {"blanks.ini", " DictInfo ", " k2 ", "dflt", 128, false},
      {"blanks.ini", "DictInfo", "key  one", "dflt", 128, false},
      {"blanks.ini", "Spaced", "k", "dflt", 128, false},
      {"blanks.ini", " Spaced ", "k", "dflt", 128, false},
      {"blanks.ini", "Tabbed", "k", "dflt", 128, false},
      {"blanks.ini", "after", "k", "dflt", 128, false},
      {"quotes.ini", "q", "d", "dflt", 128, false},
      {"quotes.ini", "q", "s", "dflt", 128, false},
      {"quotes.ini", "q", "m", "dflt", 128, false},
      {"quotes.ini", "q", "in", "dflt", 128, false},
      {"quotes.ini", "q", "only", "dflt", 128, false},
      {"quotes.ini", "q", "empty", "dflt", 128, false},
      {"quotes.ini", "q", "sp", "dflt", 128, false},
      {"quotes.ini", "q", "half", "dflt", 128, false},
      {"quotes.ini", "q", "qq", "dflt", 128, false},
      {"quotes.ini", "q", "out", "dflt", 128, false},
      {"quotes.ini", "q", "d", "dflt", 2, false},
      {"quotes.ini", "q", "d", "dflt", 4, false},
      {"quotes.ini", "q", "d", "dflt", 6, false},
      // A quoted text that exactly fills the buffer loses its last
      // character in the reference, though it fits: an off-by-one of its
      // quote removal that the portable reader does not copy.
      {"quotes.ini", "q", "d", "dflt", 7, true},
      {"quotes.ini", "q", "d", "dflt", 8, false},
      {"quotes.ini", "q", "d", "dflt", 9, false},
      {"quotes.ini", "q", "s", "dflt", 7, true},
      {"quotes.ini", "q", "x", "dflt", 2, true},
      {"quotes.ini", "q", "x", "dflt", 3, false},
      {"quotes.ini", "q", "empty", "dflt", 1, false},
      {"quotes.ini", "q", "empty", "dflt", 2, false},
      {"quotes.ini", "q", "absent", "\"ab\"", 2, false},
      {"quotes.ini", "q", "absent", "\"ab\"", 3, true},
      {"quotes.ini", "q", "absent", "\"ab\"", 4, false},
      {"quotes.ini", "q", "absent", "\"ab\"  ", 128, false},
      {"quotes.ini", "q", "absent", "\"", 128, false},
      {"quotes.ini", "q", "absent", "\"ab'", 128, false},
      {"missing.ini", "q", "absent", "\"ab\"", 3, true},
      {"quotes.ini", "q", "absent", "\"quoted default\"", 128, false},
      {"quotes.ini", "q", "absent", "'single default'", 128, false},
      {"quotes.ini", "q", "absent", "\"quoted default\"", 5, false},
      {"missing.ini", "q", "absent", "\"quoted default\"", 128, false},
      {"empty.ini", "e", "empty", "dflt", 128, false},
      {"empty.ini", "e", "blank", "dflt", 128, false},
      {"empty.ini", "e", "noeq", "dflt", 128, false},
      {"empty.ini", "e", "", "dflt", 128, false},
      {"empty.ini", "e", "  ", "dflt", 128, false},
      {"empty.ini", "e", "absent", "dflt", 128, false},
      {"empty.ini", "e", "absent", nullptr, 128, false},
      {"empty.ini", "e", "absent", "", 128, false},
      {"empty.ini", "e", "absent", "trailing   ", 128, false},
      {"empty.ini", "e", "absent", "  leading", 128, false},
      // An all-blank default keeps one blank in the reference: its trimming
      // loop stops at the first character instead of before it.
      {"empty.ini", "e", "absent", "   ", 128, true},
      {"empty.ini", "nosection", "empty", "dflt", 128, false},
      {"long.ini", "l", "v127", "dflt", 128, false},
      {"long.ini", "l", "v128", "dflt", 128, false},
      {"long.ini", "l", "v300", "dflt", 128, false},
      {"long.ini", "l", "v300", "dflt", 301, false},
      {"long.ini", "l", "v300", "dflt", 400, false},
      {"long.ini", "l", "q200", "dflt", 128, false},
      // A quoted text that exactly fills the buffer loses its last
      // character in the reference, though it fits: an off-by-one of its
      // quote removal that the portable reader does not copy.
      {"long.ini", "l", "q200", "dflt", 201, true},
      {"long.ini", "l", "q200", "dflt", 202, false},
      {"long.ini", "l", "short", "dflt", 1, false},
      {"long.ini", "l", "short", "dflt", 2, false},
      {"long.ini", "l", "absent", "defaultvalue", 5, false},
      {"missing.ini", "l", "absent", "defaultvalue", 5, false},
      {"repeat.ini", "DictInfo", "a", "dflt", 128, false},
      {"repeat.ini", "DictInfo", "c", "dflt", 128, false},
      {"repeat.ini", "other", "b", "dflt", 128, false},
      {"comments.ini", "c", "k", "dflt", 128, false},
      {"comments.ini", "c", ";k", "dflt", 128, false},
      {"comments.ini", "c", "#h", "dflt", 128, false},
      {"comments.ini", "c", "h", "dflt", 128, false},
      {"comments.ini", "c", "; indented", "dflt", 128, false},
      {"comments.ini", "c", "after", "dflt", 128, false},
      {"comments.ini", ";[fake]", "after", "dflt", 128, false},
      {"layout.ini", "", "top", "dflt", 128, false},
      {"layout.ini", "s", "eq", "dflt", 128, false},
      {"layout.ini", "s", "a b", "dflt", 128, false},
      {"layout.ini", "s", "u", "dflt", 128, false},
      {"layout.ini", "s", "[unclosed", "dflt", 128, false},
      {"layout.ini", "a]b", "k", "dflt", 128, false},
      {"layout.ini", "", "k", "dflt", 128, false},
      {"layout.ini", "tail", "k", "dflt", 128, false},
      {"cr.ini", "cr", "k", "dflt", 128, false},
      {"cr.ini", "cr", "last", "dflt", 128, false},
      {"mixed.ini", "m", "a", "dflt", 128, false},
      {"mixed.ini", "m", "b", "dflt", 128, false},
      {"mixed.ini", "m", "c", "dflt", 128, false},
      {"bom.ini", "b", "k", "dflt", 128, false},
      {"gbk.ini", "DictInfo", "tarnix_sim_dict", "dflt", 128, false},
      {"noeol.ini", "n", "k", "dflt", 128, false},
      {"ctrl.ini", "z", "k", "dflt", 128, false},
      {"ctrl.ini", "z", "j", "dflt", 128, false},
  };
}

std::string Shown(const char* text) {
  if (text == nullptr) return "(null)";
  std::string out = "\"";
  for (const char* p = text; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace

int main() {
  for (const IniFile& f : Files()) {
    std::ofstream out(f.name, std::ios::binary | std::ios::trunc);
    out << f.content;
    if (!out) {
      std::printf("cannot write %s\n", f.name);
      return 2;
    }
  }
  int differences = 0, quirks = 0, count = 0;
  for (const Query& q : Queries()) {
    ++count;
    const std::string path = std::string(".\\") + q.file;
    std::string system(q.size + 1, '\0'), ours(q.size + 1, '\0');
    const DWORD system_n = GetPrivateProfileStringA(q.section, q.key, q.fallback, &system[0],
                                                    q.size, path.c_str());
    const uint32_t ours_n = tarnix::PortableProfileString(q.section, q.key, q.fallback, &ours[0],
                                                          q.size, path.c_str());
    const bool same = system_n == ours_n && system.compare(0, system_n + 1, ours, 0, ours_n + 1) == 0;
    if (same) continue;
    std::printf("%s %s [%s] %s default %s size %u: system %s (%lu), ours %s (%u)\n",
                q.known_quirk ? "QUIRK" : "DIFF", q.file, q.section, Shown(q.key).c_str(),
                Shown(q.fallback).c_str(), q.size, Shown(system.c_str()).c_str(),
                static_cast<unsigned long>(system_n), Shown(ours.c_str()).c_str(), ours_n);
    ++(q.known_quirk ? quirks : differences);
  }
  std::printf("%d queries: %d differences, %d known quirks of the system reader\n", count,
              differences, quirks);
  return differences == 0 ? 0 : 1;
}
