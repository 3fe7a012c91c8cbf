// The features and weights of the English candidates: by the English term
// model when there is one, else by frequency and the specificity of the
// words.
#ifndef TARNIX_ENGINES_EXTEND_KVR_EN_WEIGH_H_
#define TARNIX_ENGINES_EXTEND_KVR_EN_WEIGH_H_

#include "article_terms.h"
#include "en_phrases.h"

namespace ekvr {

// Weights are the model's probability on a fixed scale, so that a host can
// compare them within and between articles.
inline constexpr double kEnglishScale = 100.0;

// Decides which terms are delivered, sets each one's text to what the
// reader is shown, and weighs it; with the dump variable set, the features
// go to that file too (the input of train_en_model.py).
void WeighEnglish(const ArticleText& article, EnglishState* st);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_EN_WEIGH_H_
