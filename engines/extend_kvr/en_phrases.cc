#include "en_phrases.h"

#include <algorithm>
#include <utility>

#include "gbk_chars.h"
#include "table_file.h"

namespace ekvr {
namespace {

void LowerInto(std::string_view w, std::string* out) {
  out->assign(w.data(), w.size());
  for (char& c : *out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
}

bool IsUpperWord(std::string_view w) {
  bool letter = false;
  for (char c : w) {
    if (c >= 'a' && c <= 'z') return false;
    letter = letter || (c >= 'A' && c <= 'Z');
  }
  return letter;
}

// The word classes of a text's tokens: the tagger's, sentence by
// sentence, or without its model the dictionary's, word by word.
void ClassifyTokens(std::string_view text, const std::vector<EnglishToken>& tokens, EnglishState* st) {
  st->classes.assign(tokens.size(), WordClass::kPunctuation);
  const EnglishTagger* tagger = st->res.tagger;
  if (tagger != nullptr && tagger->loaded()) {
    for (const TokenRange& r : Sentences(tokens)) {
      st->sentence.clear();
      for (uint32_t k = r.first; k < r.end; ++k) {
        st->sentence.push_back(text.substr(tokens[k].begin, tokens[k].end - tokens[k].begin));
      }
      tagger->Tag(st->sentence, &st->tags, &st->scratch);
      for (uint32_t k = r.first; k < r.end && k - r.first < st->tags.size(); ++k) {
        st->classes[k] = tagger->ClassOf(st->tags[k - r.first]);
      }
    }
    return;
  }
  // No tagger model: the dictionary's word classes, word by word.
  for (size_t k = 0; k < tokens.size(); ++k) {
    if (tokens[k].kind != EnglishToken::kWord) continue;
    const std::string lower = LowerAscii(text.substr(tokens[k].begin, tokens[k].end - tokens[k].begin));
    auto it = st->fallback_classes.find(lower);
    if (it == st->fallback_classes.end()) {
      it = st->fallback_classes.emplace(lower, ClassFromInfo(st->info(lower))).first;
    }
    st->classes[k] = it->second;
  }
}

// Counts the words of a text of the article's own and, outside titles in
// title case and the author keywords, how each is written.
void CountWords(std::string_view text, const std::vector<EnglishToken>& tokens, bool title_forms, Position pos,
                EnglishState* st) {
  for (const EnglishToken& t : tokens) {
    if (t.kind != EnglishToken::kWord) continue;
    ++st->words;
    if (title_forms || pos == kPosKeywords) continue;
    const std::string_view w = text.substr(t.begin, t.end - t.begin);
    LowerInto(w, &st->lower);
    CaseEvidence& ev = *st->evidence.Insert(st->lower, CaseEvidence()).first;
    if (w[0] >= 'a' && w[0] <= 'z') {
      ++ev.lower;
    } else if (IsUpperWord(w) && w.size() > 1) {
      ++ev.upper;
    } else if (!t.sentence_start && w[0] >= 'A' && w[0] <= 'Z') {
      ++ev.capital_inside;
    }
  }
}

// Counts candidate s as a term and returns its phrase, new or not;
// surface receives the candidate as written.
PhraseInfo& AddPhrase(std::string_view text, const std::vector<EnglishToken>& tokens, const WordSpan& s,
                      Position pos, bool* whole, std::string* surface, EnglishState* st) {
  st->parts.clear();
  surface->clear();
  bool proper = false;
  for (uint32_t k = s.first; k < s.first + s.count; ++k) {
    st->parts.push_back(text.substr(tokens[k].begin, tokens[k].end - tokens[k].begin));
    if (!surface->empty()) *surface += ' ';
    surface->append(st->parts.back());
    proper = proper || st->classes[k] == WordClass::kProperNoun;
  }
  const EnglishToken& first = tokens[s.first];
  const EnglishToken& last = tokens[s.first + s.count - 1];
  if (whole != nullptr && first.begin == 0 && last.end == text.size()) *whole = true;
  PhraseKeyInto(st->parts.data(), st->parts.size(), &st->key);
  const std::string& key = st->key;
  Term& t = st->terms->Add(key, *surface, *surface, static_cast<int>(s.count), pos, first.begin);
  const size_t index = static_cast<size_t>(&t - st->terms->terms().data());
  if (index == st->phrases.size()) {
    PhraseInfo p;
    p.key = key;
    p.lower = LowerAscii(*surface);
    p.first_class = st->classes[s.first];
    p.last_class = st->classes[s.first + s.count - 1];
    st->phrases.push_back(std::move(p));
  }
  PhraseInfo& p = st->phrases[index];
  p.proper = p.proper || proper;
  return p;
}

// Notes an occurrence in the article's own text: the words around it,
// where it stands, and the form it is written in.
void NoteOccurrence(const std::vector<EnglishToken>& tokens, const WordSpan& s, size_t base,
                    const std::string& surface, bool title_forms, const EnglishState& st, PhraseInfo* p) {
  const EnglishToken& first = tokens[s.first];
  const uint32_t after = s.first + s.count;
  const auto phrase_word = [&](uint32_t k) {
    return tokens[k].kind == EnglishToken::kWord && k < st.classes.size();
  };
  ++p->seen;
  if (after < tokens.size() && !tokens[after].sentence_start && phrase_word(after) &&
      (st.classes[after] == WordClass::kNoun || st.classes[after] == WordClass::kProperNoun)) {
    ++p->cut;
  }
  if (s.first > 0 && !first.sentence_start && phrase_word(s.first - 1)) {
    const WordClass before = st.classes[s.first - 1];
    if (before == WordClass::kNoun || before == WordClass::kProperNoun || before == WordClass::kAdjective) ++p->tail;
  }
  const double at = static_cast<double>(base + first.begin);
  if (p->first < 0.0 || at < p->first) p->first = at;
  p->last = std::max(p->last, at);
  auto form = std::find_if(p->forms.begin(), p->forms.end(), [&](const Form& f) {
    return f.text == surface && f.from_title == title_forms;
  });
  if (form == p->forms.end()) {
    p->forms.push_back({surface, 1, title_forms});
  } else {
    ++form->count;
  }
}

}  // namespace

TitleCase TitleCaseOf(std::string_view text, const std::vector<EnglishToken>& tokens) {
  int words = 0, capitalised = 0, upper = 0;
  for (const EnglishToken& t : tokens) {
    if (t.kind != EnglishToken::kWord || t.end - t.begin < 4) continue;
    const std::string_view w = text.substr(t.begin, t.end - t.begin);
    ++words;
    capitalised += w[0] >= 'A' && w[0] <= 'Z';
    upper += IsUpperWord(w);
  }
  if (words >= 2 && upper * 5 >= words * 4) return TitleCase::kCapitals;
  if (words >= 2 && capitalised * 5 >= words * 3) return TitleCase::kTitle;
  return TitleCase::kSentence;
}

void AddText(std::string_view text, Position pos, size_t base, bool* whole, EnglishState* st) {
  const std::vector<EnglishToken> tokens = EnglishTokens(text);
  ClassifyTokens(text, tokens, st);
  const bool own_text = pos == kPosTitle || pos == kPosAbstract || pos == kPosBody || pos == kPosKeywords;
  const bool title_forms = pos == kPosTitle && st->title_case != TitleCase::kSentence;
  if (own_text) CountWords(text, tokens, title_forms, pos, st);
  EnglishCandidates(text, tokens, st->classes, &st->spans);
  std::string surface;
  for (const WordSpan& s : st->spans) {
    PhraseInfo& p = AddPhrase(text, tokens, s, pos, whole, &surface, st);
    if (own_text) NoteOccurrence(tokens, s, base, surface, title_forms, *st, &p);
  }
}

namespace {

// The word as a reader is shown it: acronyms and names as written, any
// other word in lower case.
std::string ShowWord(std::string_view w, bool from_title, const EnglishState& st) {
  if (!HasAsciiCapital(w)) return std::string(w);
  const std::string lower = LowerAscii(w);
  const CaseEvidence* found = st.evidence.Find(lower);
  const CaseEvidence ev = found == nullptr ? CaseEvidence() : *found;
  if (IsAcronymLike(w)) {
    // In a title in capitals every word looks like an acronym.
    if (!from_title || st.title_case != TitleCase::kCapitals || ev.upper > 0) return std::string(w);
    return lower;
  }
  if (ev.capital_inside > 0 && ev.lower == 0) return std::string(w);
  return lower;
}

}  // namespace

std::string Display(const PhraseInfo& p, const Term& t, const EnglishState& st) {
  const Form* best = nullptr;
  for (const Form& f : p.forms) {
    if (best == nullptr || (best->from_title && !f.from_title) ||
        (best->from_title == f.from_title && f.count > best->count)) {
      best = &f;
    }
  }
  const std::string_view text = best != nullptr ? std::string_view(best->text) : std::string_view(t.word);
  const bool from_title = best != nullptr && best->from_title;
  std::string out;
  for (std::string_view w : SplitView(text, ' ')) {
    if (w.empty()) continue;
    if (!out.empty()) out += ' ';
    out += ShowWord(w, from_title, st);
  }
  return out;
}

}  // namespace ekvr
