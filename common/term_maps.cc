#include "term_maps.h"

#include "text.h"

namespace tarnix {

void InitArticleTerm(ArticleTerm& term, float weight) {
  term.word[0] = '\0';
  term.class_code[0] = '\0';
  term.second_word[0] = '\0';
  term.weight = weight;
  term.reserved1 = 0;
  term.frequency = 0;
  term.reserved2 = -1;
  term.reserved3 = -1;
  term.position = -1;
}

void InitTermClassMatch(TermClassMatch& match) {
  match.word[0] = '\0';
  match.match_depth = 0;
}

void TerminateTextFields(ArticleTerm& term) {
  TerminateField(term.word);
  TerminateField(term.class_code);
  TerminateField(term.second_word);
}

}  // namespace tarnix
