/* A host program in plain C: the public header compiles as C, the record
 * layouts are the ones the host sees, and the exports can be called. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "tarnix/tarnix.h"

static int failures = 0;
static int checks = 0;

static void check(int ok, const char* what) {
  ++checks;
  if (!ok) {
    printf("FAILED: %s\n", what);
    ++failures;
  }
}

int main(void) {
  KeywordEntry list[2];
  int count = 2;
  check(sizeof(ArticleTerm) == 332, "ArticleTerm size");
  check(sizeof(TermClassMatch) == 108, "TermClassMatch size");
  check(sizeof(KeywordEntry) == 528, "KeywordEntry size");
  check(offsetof(KeywordEntry, weight) == 520, "KeywordEntry weight offset");

  memset(list, 0, sizeof list);
  list[0].weight = 3.0;
  list[1].weight = 4.0;
  check(Word_Normal_Ten(list, &count) == 0, "Word_Normal_Ten result");
  check(list[0].weight == 6000.0 && list[1].weight == 8000.0, "Word_Normal_Ten weights");
  check(Word_Normal(list, &count) == 0, "Word_Normal result");
  check(list[0].weight > 0.4285 && list[0].weight < 0.4286, "Word_Normal weights");
  check(count == 2, "count unchanged");

  printf("%d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
