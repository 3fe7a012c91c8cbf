// The weights of the Chinese terms: by the term model when there is one,
// else by tf-idf.
#ifndef TARNIX_ENGINES_EXTEND_KVR_ZH_WEIGH_H_
#define TARNIX_ENGINES_EXTEND_KVR_ZH_WEIGH_H_

#include <vector>

#include "article_terms.h"

namespace ekvr {

// Weighs every term by the term model: 100 times the probability that it
// is a keyword (raised to the model's lambda, 1 by default), spread over
// the fields in proportion to the occurrences there. The model has already
// weighed whether the term's class is the article's, and Tarnix doubles
// the weights of terms of the article's leading classes and halves the
// others: the weight handed over is divided by that factor, so that what
// the host receives is the probability itself (plus what merging adds).
// top is Classify's index of the article's best class; buffers lends its
// occurrence and nesting tables.
void WeighByModel(const Resources& res, int top, const std::vector<ClassCandidate>& classes,
                  const ArticleText& article, TermSet* terms, ChineseBuffers* buffers);

// Without a model: occurrences times idf times the field's factor.
void WeighByIdf(TermSet* terms);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_ZH_WEIGH_H_
