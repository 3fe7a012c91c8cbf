/* A host program of the kind Tarnix was made for: it loads Tarnix.dll at run
 * time, finds the five exports by their plain names and drives the whole
 * life cycle on sample articles, printing each keyword list in a stable text
 * format, so that the lists of two builds (32-bit Windows, 64-bit Linux)
 * can be compared line by line.
 *
 *   tarnix_host [-l LIBRARY] TYPE:ARTICLE...
 *
 * LIBRARY defaults to "Tarnix.dll" (found beside the program). TYPE is 1
 * (Chinese, GBK) or 2 (English). Consecutive articles of one type share one
 * life cycle: Tarnix_Initial(type, true), Tarnix_Direct for each article,
 * Tarnix_FreeDict. An article file holds one field per line: title,
 * abstract, author keywords, journal, class code, class mode; the rest of
 * the file is the full text.
 *
 * Output, fields separated by tabs, bytes below 0x20, 0x7f and '\' written
 * as \xNN:
 *   initial TYPE RESULT
 *   article NAME RESULT COUNT
 *   RANK FREQUENCY WEIGHT NORMALISED TEN KEYWORD SECOND_TEXT CLASS_CODE
 *   freedict RESULT
 * NORMALISED and TEN are the weights after Word_Normal and Word_Normal_Ten
 * of a copy of the list.
 *
 * Exits 1 when a library or export is missing, Tarnix_Initial fails, or an
 * article gives no keywords; 2 on bad arguments or unreadable files. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include "posix_loader.h"
#endif

#include "tarnix/tarnix.h"

typedef int(TARNIX_CALL* InitialFn)(int, bool);
typedef int(TARNIX_CALL* DirectFn)(const char*, const char*, const char*, const char*, const char*,
                                   const char*, KeywordEntry*, int*, int, int, int);
typedef int(TARNIX_CALL* FreeDictFn)(void);
typedef int(TARNIX_CALL* NormalFn)(KeywordEntry*, int*);

enum { kCapacity = 1000, kFields = 6 };

typedef struct Article {
  char* content;          /* the whole file, cut into fields in place */
  const char* fields[kFields];
  const char* text;
} Article;

static char* ReadWholeFile(const char* path) {
  FILE* f = fopen(path, "rb");
  char* data = NULL;
  long size;
  if (!f) return NULL;
  if (fseek(f, 0, SEEK_END) == 0 && (size = ftell(f)) >= 0 && fseek(f, 0, SEEK_SET) == 0) {
    data = (char*)malloc((size_t)size + 1);
    if (data && fread(data, 1, (size_t)size, f) == (size_t)size) {
      data[size] = '\0';
    } else {
      free(data);
      data = NULL;
    }
  }
  fclose(f);
  return data;
}

/* Cuts the next line off *rest; the line loses its "\r\n" or "\n". */
static const char* NextLine(char** rest) {
  char* line = *rest;
  char* end = strchr(line, '\n');
  if (end) {
    *rest = end + 1;
  } else {
    end = line + strlen(line);
    *rest = end;
  }
  if (end > line && end[-1] == '\r') --end;
  *end = '\0';
  return line;
}

static int LoadArticle(const char* path, Article* a) {
  char* rest;
  int i;
  a->content = ReadWholeFile(path);
  if (!a->content) return 0;
  rest = a->content;
  for (i = 0; i < kFields; ++i) a->fields[i] = NextLine(&rest);
  a->text = rest;
  return 1;
}

static void PrintText(const char* s, size_t size) {
  size_t i;
  for (i = 0; i < size && s[i] != '\0'; ++i) {
    unsigned char c = (unsigned char)s[i];
    if (c < 0x20 || c == 0x7f || c == '\\') {
      printf("\\x%02x", c);
    } else {
      putchar(c);
    }
  }
}

static const char* BaseName(const char* path) {
  const char* base = path;
  const char* p;
  for (p = path; *p; ++p) {
    if (*p == '/' || *p == '\\') base = p + 1;
  }
  return base;
}

typedef struct Exports {
  InitialFn initial;
  DirectFn direct;
  FreeDictFn free_dict;
  NormalFn normal;
  NormalFn normal_ten;
} Exports;

static KeywordEntry list[kCapacity];
static KeywordEntry normal[kCapacity];
static KeywordEntry ten[kCapacity];

/* Runs one article; 1 when it gave keywords. */
static int RunArticle(const Exports* x, const char* path, int type) {
  Article a;
  int count = kCapacity;
  int n, rank, result;
  if (!LoadArticle(path, &a)) {
    fprintf(stderr, "cannot read %s\n", path);
    exit(2);
  }
  memset(list, 0, sizeof list);
  result = x->direct(a.fields[0], a.fields[1], a.fields[2], a.text, a.fields[3], a.fields[4], list,
                     &count, type, atoi(a.fields[5]), 0);
  printf("article\t%s\t%d\t%d\n", BaseName(path), result, count);
  n = count < 0 ? 0 : (count > kCapacity ? kCapacity : count);
  memcpy(normal, list, sizeof list);
  memcpy(ten, list, sizeof list);
  if (x->normal(normal, &n) != 0 || x->normal_ten(ten, &n) != 0) printf("normal\tfailed\n");
  for (rank = 0; rank < n; ++rank) {
    const KeywordEntry* e = &list[rank];
    printf("%d\t%d\t%.17g\t%.17g\t%.17g\t", rank + 1, e->frequency, e->weight, normal[rank].weight,
           ten[rank].weight);
    PrintText(e->keyword_text, sizeof e->keyword_text);
    putchar('\t');
    PrintText(e->second_text, sizeof e->second_text);
    putchar('\t');
    PrintText(e->class_code, sizeof e->class_code);
    putchar('\n');
  }
  free(a.content);
  return result == TARNIX_OK && count > 0;
}

int main(int argc, char** argv) {
  const char* library = "Tarnix.dll";
  HMODULE module;
  Exports x;
  int first = 1, i, ok = 1, type = 0;
#ifdef _WIN32
  /* The lists are compared byte for byte: no "\r\n" for "\n". */
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (argc > 2 && strcmp(argv[1], "-l") == 0) {
    library = argv[2];
    first = 3;
  }
  if (first >= argc) {
    fprintf(stderr, "usage: %s [-l LIBRARY] TYPE:ARTICLE...\n", argv[0]);
    return 2;
  }
  module = LoadLibraryA(library);
  if (!module) {
    fprintf(stderr, "cannot load %s\n", library);
    return 1;
  }
  x.initial = (InitialFn)GetProcAddress(module, "Tarnix_Initial");
  x.direct = (DirectFn)GetProcAddress(module, "Tarnix_Direct");
  x.free_dict = (FreeDictFn)GetProcAddress(module, "Tarnix_FreeDict");
  x.normal = (NormalFn)GetProcAddress(module, "Word_Normal");
  x.normal_ten = (NormalFn)GetProcAddress(module, "Word_Normal_Ten");
  if (!x.initial || !x.direct || !x.free_dict || !x.normal || !x.normal_ten) {
    fprintf(stderr, "%s lacks an export\n", library);
    return 1;
  }
  for (i = first; i < argc; ++i) {
    const char* colon = strchr(argv[i], ':');
    int article_type = atoi(argv[i]);
    if (!colon || (article_type != 1 && article_type != 2)) {
      fprintf(stderr, "not TYPE:ARTICLE: %s\n", argv[i]);
      return 2;
    }
    if (article_type != type) {
      if (type != 0) printf("freedict\t%d\n", x.free_dict());
      type = article_type;
      {
        int result = x.initial(type, true);
        printf("initial\t%d\t%d\n", type, result);
        if (result != 0) ok = 0;
      }
    }
    if (!RunArticle(&x, colon + 1, type)) ok = 0;
  }
  printf("freedict\t%d\n", x.free_dict());
  fflush(stdout);
  FreeLibrary(module);
  return ok ? 0 : 1;
}
