#include "zh_weigh.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "feature_dump.h"
#include "zh_candidate_terms.h"
#include "zh_classes.h"
#include "zh_features.h"
#include "zh_nesting.h"

namespace ekvr {
namespace {

// Without a term model, a phrase is kept for delivery when it recurs or
// stands in the title or the author keywords; single words always are.
constexpr int kMinCompoundFrequency = 2;
// An author keyword ranks this much (in logit units of the term model)
// above the best other term, or above its own logit when that is higher.
constexpr double kAuthorKeywordLogit = 2.0;
// A term that never occurs outside a longer term, and that the model
// rates at most this much (in logit units) above it, is put just below it:
// root-word merging in Tarnix lets the heavier of two nested terms absorb
// the other, and the longer one is then what the author would name
// ("现收现付制" rather than its piece "收现付制"). Tuned on the even half of
// csl-dev; the figures are in data/extend_kvr/README.md.
constexpr double kSubsumedMargin = 0.75;
// Logits are clamped so that weights stay finite float32 values.
constexpr double kMaxExponent = 80.0;
// Weights are 100 times a probability, and never below this.
constexpr double kWeightScale = 100.0;
constexpr double kMinWeight = 1e-3;

struct Logits {
  std::vector<double> logit;  // -kMaxExponent for a term not weighed
  double best;                // the best of the terms that are no author keyword
};

// The model's logit of every term that will be weighed; each term's
// features also go to the training dump.
Logits ScoreTerms(const Resources& res, int top, const ArticleText& article, const std::vector<Term>& all,
                  const Nesting& nesting) {
  const FeatureContext context(article, TopCode(res, top));
  FeatureDump dump(kFeatureDumpVar);
  Logits out{std::vector<double>(all.size(), -kMaxExponent), -kMaxExponent};
  BlockScorer scorer(*res.term_model, kTermFeatures);
  auto take = [&all, &out](size_t i, double score) {
    out.logit[i] = score;
    if (!all[i].author_keyword) out.best = std::max(out.best, score);
  };
  for (size_t i = 0; i < all.size(); ++i) {
    const Term& t = all[i];
    if (OnceInBodyPhrase(t)) continue;
    float* f = scorer.Slot(i);
    TermFeatures(context, t, {nesting.sum[i], nesting.max[i], nesting.sub_max[i]}, f);
    dump.Write({t.word.c_str()}, f, kTermFeatures);
    if (scorer.full()) scorer.Score(take);
  }
  scorer.Score(take);
  return out;
}

// Puts a piece that never occurs outside a longer term just below it,
// unless the model rates the piece well above (kSubsumedMargin). The
// comparisons read the model's own logits, not those already lowered.
void PlaceBelowLongerTerms(const Nesting& nesting, const std::vector<int>& total, std::vector<double>* logit) {
  const std::vector<double> own = *logit;
  for (const auto& [piece, longer] : nesting.pairs) {
    if (total[piece] <= total[longer] &&
        own[longer] + kSubsumedMargin >= own[piece]) {
      (*logit)[piece] = std::min((*logit)[piece], own[longer] - 0.01);
    }
  }
}

void SetModelWeights(const Resources& res, const std::vector<ClassCandidate>& classes, const Logits& scored,
                     std::vector<Term>* all) {
  const std::vector<std::string> leading = LeadingClasses(classes);
  const double lambda = res.term_model->lambda();
  for (size_t i = 0; i < all->size(); ++i) {
    Term& t = (*all)[i];
    t.keep = !OnceInBodyPhrase(t);
    if (!t.keep) continue;  // its weights stay 0
    // The author named it: above every term the model only guesses at.
    const double z = t.author_keyword ? std::max(scored.logit[i], scored.best) + kAuthorKeywordLogit
                                      : scored.logit[i];
    const double p = 1.0 / (1.0 + std::exp(-std::clamp(z, -kMaxExponent, kMaxExponent)));
    const double w =
        std::max(kMinWeight, kWeightScale * (lambda == 1.0 ? p : std::pow(p, lambda))) / ClassStepFactor(t.class_code, leading);
    t.total = w;
    const double tf = std::max(t.TotalFrequency(), 1);
    for (int p = 0; p < kPositionCount; ++p) t.weight[p] = static_cast<float>(w * t.freq[p] / tf);
  }
}

}  // namespace

void WeighByModel(const Resources& res, int top, const std::vector<ClassCandidate>& classes,
                  const ArticleText& article, TermSet* terms, ChineseBuffers* buffers) {
  std::vector<Term>& all = terms->terms();
  std::vector<int>& total = buffers->total;
  Nesting& nesting = buffers->nesting;
  total.resize(all.size());
  for (size_t u = 0; u < all.size(); ++u) total[u] = all[u].TotalFrequency();
  NestChineseTerms(terms, total, &nesting);
  Logits scored = ScoreTerms(res, top, article, all, nesting);
  PlaceBelowLongerTerms(nesting, total, &scored.logit);
  SetModelWeights(res, classes, scored, &all);
}

void WeighByIdf(TermSet* terms) {
  for (Term& t : terms->terms()) {
    t.keep = t.parts <= 1 || t.TotalFrequency() >= kMinCompoundFrequency || t.freq[kPosTitle] > 0 ||
             t.freq[kPosKeywords] > 0;
    t.total = 0.0;
    for (int p = 0; p < kPositionCount; ++p) {
      t.weight[p] = static_cast<float>(t.freq[p]) * t.idf * PositionFactor(static_cast<Position>(p));
      t.total += t.weight[p];
    }
  }
}

}  // namespace ekvr
