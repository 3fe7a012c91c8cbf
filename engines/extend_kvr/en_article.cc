// The English analysis of an article: candidate noun phrases from the
// tagged text, grouped by their key, shown as the article writes them,
// weighed by the English term model.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "article_terms.h"
#include "en_phrases.h"
#include "en_terms.h"
#include "en_weigh.h"
#include "gbk_chars.h"

namespace ekvr {
namespace {

// Kind 1 hands over the best records only: a whole paper has thousands of
// candidates, and Tarnix's merging walks every one.
constexpr int kEnglishFullTextRecords = 100;
// An author keyword stands above every phrase the model only guesses at.
constexpr float kAuthorKeywordWeight = static_cast<float>(kEnglishScale);

// Occurrences of a lower-case word in a lower-cased text.
int CountIn(std::string_view hay, std::string_view needle) {
  if (needle.empty()) return 0;
  int n = 0;
  for (size_t at = hay.find(needle); at != std::string_view::npos; at = hay.find(needle, at + needle.size())) ++n;
  return n;
}

// The candidates of every field but the author keywords, in reading order:
// title, abstract, body; the journal and the rest after them. Returns
// where the keywords start in that order.
size_t ReadFields(const ArticleText& article, EnglishState* st) {
  size_t base = 0;
  for (Position pos : {kPosTitle, kPosAbstract, kPosBody, kPosJournal, kPosOther}) {
    const std::string& text = article.field[pos];
    if (!text.empty()) AddText(text, pos, base, nullptr, st);
    base += text.size() + 1;
  }
  return base;
}

// Each author keyword is a term of its own, under its key, even when it is
// no candidate of its words.
void ReadAuthorKeywords(const std::vector<std::string>& keywords, size_t base, EnglishState* st) {
  for (const std::string& kw : keywords) {
    bool whole = false;
    AddText(kw, kPosKeywords, base, &whole, st);
    const std::string key = NormalizePhrase(kw);
    if (!whole && !key.empty()) {
      Term& t = st->terms->Add(key, kw, kw, 1, kPosKeywords, 0);
      const size_t index = static_cast<size_t>(&t - st->terms->terms().data());
      if (index == st->phrases.size()) {
        PhraseInfo p;
        p.key = key;
        p.lower = LowerAscii(kw);
        p.forms.push_back({kw, 1, false});
        st->phrases.push_back(std::move(p));
      }
    }
    Term* t = st->terms->Find(key);
    if (t != nullptr) t->author_keyword = true;
  }
}

// What the author wrote is what the host shows, and what the keyword's
// frequency is looked up by, case aside.
void DeliverAuthorKeywords(const ArticleText& article, const std::vector<std::string>& keywords, Analysis* out) {
  // The text they are counted in, lower-cased once for all of them.
  std::string text;
  if (!keywords.empty()) {
    for (Position p : {kPosTitle, kPosAbstract, kPosBody}) text += LowerAscii(article.field[p]) + '\n';
  }
  for (const std::string& kw : keywords) {
    AuthorKeyword a;
    a.word = kw;
    a.second = kw;
    a.frequency = std::max(CountIn(text, LowerAscii(kw)), 1);
    a.weight = kAuthorKeywordWeight;
    out->keywords.push_back(std::move(a));
  }
}

}  // namespace

bool AnalyzeEnglish(const ArticleText& article, const EnglishInfoFn& info, const Resources& res,
                    Analysis* out) {
  out->Clear();
  out->whole_terms = true;
  EnglishState st(res, info, &out->terms);
  size_t bytes = 0;
  for (const std::string& field : article.field) bytes += field.size();
  // Room for the terms and the distinct words of the article at once:
  // growing the tables step by step hashes every key again at each step.
  out->terms.Reserve(bytes / 8 + 16);
  st.evidence.reserve(bytes / 40 + 16);
  const std::string& title = article.field[kPosTitle];
  st.title_case = TitleCaseOf(title, EnglishTokens(title));
  const size_t keywords_base = ReadFields(article, &st);
  const std::vector<std::string> keywords = SplitKeywords(article.field[kPosKeywords]);
  ReadAuthorKeywords(keywords, keywords_base, &st);
  WeighEnglish(article, &st);
  DeliverAuthorKeywords(article, keywords, out);
  out->abstract_terms = 0;  // the phrases of the abstract come with kind 1
  out->full_text_records = kEnglishFullTextRecords;
  return true;
}

}  // namespace ekvr
