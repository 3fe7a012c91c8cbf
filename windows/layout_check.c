/* The record layouts as a host program sees them, checked against the
 * documented ones (records.h), and against what the libraries themselves
 * see: a pattern-filled KeywordEntry array goes through Word_Normal, which
 * may change nothing but the weights. Also checks that every export of the
 * three libraries is found by its plain name.
 *
 *   layout_check [TARNIX LEXMILL EXTEND_KVR]
 *
 * The libraries default to the DLL names (found beside the program).
 * Prints one line per field, "Record.field OFFSET SIZE", so that the output
 * of two builds can be compared, then "layout ok" or the faults. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include "posix_loader.h"
#endif

#include "tarnix/tarnix.h"

static int faults = 0;

static void Field(const char* name, size_t offset, size_t size, size_t want_offset,
                  size_t want_size) {
  printf("%s %u %u\n", name, (unsigned)offset, (unsigned)size);
  if (offset != want_offset || size != want_size) {
    printf("FAULT: %s should be at %u, %u bytes\n", name, (unsigned)want_offset,
           (unsigned)want_size);
    ++faults;
  }
}

#define FIELD(type, member, want_offset, want_size) \
  Field(#type "." #member, offsetof(type, member), sizeof(((type*)0)->member), want_offset, want_size)
#define RECORD(type, want_size) Field(#type, 0, sizeof(type), 0, want_size)

static void CheckLayouts(void) {
  RECORD(ArticleTerm, 332);
  FIELD(ArticleTerm, word, 0, 101);
  FIELD(ArticleTerm, class_code, 101, 103);
  FIELD(ArticleTerm, weight, 204, 4);
  FIELD(ArticleTerm, reserved1, 208, 4);
  FIELD(ArticleTerm, frequency, 212, 4);
  FIELD(ArticleTerm, second_word, 216, 104);
  FIELD(ArticleTerm, reserved2, 320, 4);
  FIELD(ArticleTerm, reserved3, 324, 4);
  FIELD(ArticleTerm, position, 328, 4);
  RECORD(TermClassMatch, 108);
  FIELD(TermClassMatch, word, 0, 104);
  FIELD(TermClassMatch, match_depth, 104, 4);
  RECORD(KeywordEntry, 528);
  FIELD(KeywordEntry, keyword_text, 0, 128);
  FIELD(KeywordEntry, second_text, 128, 256);
  FIELD(KeywordEntry, frequency, 384, 4);
  FIELD(KeywordEntry, class_code, 388, 128);
  FIELD(KeywordEntry, reserved, 516, 4);
  FIELD(KeywordEntry, weight, 520, 8);
}

static HMODULE Load(const char* file) {
  HMODULE module = LoadLibraryA(file);
  if (!module) {
    printf("FAULT: cannot load %s\n", file);
    ++faults;
  }
  return module;
}

static void CheckExports(HMODULE module, const char* file, const char* const* names) {
  for (; module && *names; ++names) {
    if (!GetProcAddress(module, *names)) {
      printf("FAULT: %s does not export %s\n", file, *names);
      ++faults;
    }
  }
}

typedef int(TARNIX_CALL* NormalFn)(KeywordEntry*, int*);

/* Word_Normal reads and writes only the weights, at the host's offset 520:
 * every other byte of the records must come back as it went in. */
static void CheckSeenByLibrary(HMODULE tarnix) {
  enum { kCount = 3 };
  KeywordEntry list[kCount], before[kCount];
  int count = kCount, i;
  size_t b;
  NormalFn normal = tarnix ? (NormalFn)GetProcAddress(tarnix, "Word_Normal") : NULL;
  if (!normal) return;
  memset(list, 0xA5, sizeof list);
  for (i = 0; i < kCount; ++i) list[i].weight = (double)(i + 1);
  memcpy(before, list, sizeof list);
  if (normal(list, &count) != 0 || count != kCount) {
    printf("FAULT: Word_Normal failed\n");
    ++faults;
    return;
  }
  for (i = 0; i < kCount; ++i) {
    const unsigned char* now = (const unsigned char*)&list[i];
    const unsigned char* was = (const unsigned char*)&before[i];
    for (b = 0; b < sizeof(KeywordEntry); ++b) {
      int in_weight = b >= offsetof(KeywordEntry, weight);
      if (!in_weight && now[b] != was[b]) {
        printf("FAULT: Word_Normal changed byte %u of record %d\n", (unsigned)b, i);
        ++faults;
        return;
      }
    }
    if (list[i].weight < (i + 1) / 6.0 - 1e-12 || list[i].weight > (i + 1) / 6.0 + 1e-12) {
      printf("FAULT: record %d has weight %.17g after Word_Normal\n", i, list[i].weight);
      ++faults;
    }
  }
}

int main(int argc, char** argv) {
  static const char* const kTarnix[] = {"Tarnix_Initial", "Tarnix_Direct", "Tarnix_FreeDict",
                                        "Word_Normal", "Word_Normal_Ten", NULL};
  static const char* const kLexmill[] = {
      "Dict_Load_New",   "Dict_Get_Handle", "Dict_Delete_Handle", "Dict_Unload_New",
      "Free_All_Space",  "Dict_Search_Get_Info", "QX_Word_Sect", "Code_Determine",
      "IsEnglishLetter", "IsNumber", "IsPunctuation", NULL};
  static const char* const kExtendKvr[] = {
      "EKVR_SetPath",    "EKVR_Word_Init",         "EKVR_FreeDict",
      "EKVR_Init_File2", "SetCHIThreshold",        "EKVR_CalculateTxtValue",
      "GetTxtClassifyTemp", "GetFormalizationClass", "EKVR_GetArticleInfo", NULL};
  const char* files[3] = {"Tarnix.dll", "Lexmill.dll", "Extend_KVR.dll"};
  HMODULE tarnix, lexmill, extend_kvr;
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (argc == 4) {
    files[0] = argv[1];
    files[1] = argv[2];
    files[2] = argv[3];
  } else if (argc != 1) {
    fprintf(stderr, "usage: %s [TARNIX LEXMILL EXTEND_KVR]\n", argv[0]);
    return 2;
  }
  CheckLayouts();
  tarnix = Load(files[0]);
  lexmill = Load(files[1]);
  extend_kvr = Load(files[2]);
  CheckExports(tarnix, files[0], kTarnix);
  CheckExports(lexmill, files[1], kLexmill);
  CheckExports(extend_kvr, files[2], kExtendKvr);
  CheckSeenByLibrary(tarnix);
  printf(faults ? "layout FAILED: %d faults\n" : "layout ok\n", faults);
  return faults ? 1 : 0;
}
