#include "segmenter.h"

#include <limits>

namespace lexmill {

namespace {

// Kinds as bit sets: the walks below test every token they pass.
constexpr uint32_t Bit(CharKind k) { return uint32_t{1} << static_cast<unsigned>(k); }
constexpr uint32_t kRunKinds = Bit(CharKind::kLetter) | Bit(CharKind::kDigit);
// Tokens that may be part of a dictionary word.
constexpr uint32_t kWordKinds = kRunKinds | Bit(CharKind::kHanzi) | Bit(CharKind::kFullLetter) |
                                Bit(CharKind::kFullDigit);

bool IsRunKind(CharKind k) { return (kRunKinds >> static_cast<unsigned>(k) & 1) != 0; }
bool IsWordKind(CharKind k) { return (kWordKinds >> static_cast<unsigned>(k) & 1) != 0; }

bool ContinuesRun(CharKind run, unsigned char b) {
  if (run == CharKind::kDigit) return b >= '0' && b <= '9';
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}

int16_t CodeOfKind(CharKind k) {
  switch (k) {
    case CharKind::kLetter: return kCodeLetters;
    case CharKind::kDigit: return kCodeNumber;
    case CharKind::kPunct: return kCodePunct;
    case CharKind::kBlank: return kCodeBlank;
    default: return kCodeUnknown;
  }
}

using Node = DictImage::Node;

}  // namespace

void Segmenter::Tokenize(const unsigned char* text, size_t length) {
  tokens_.clear();
  for (size_t at = 0; at < length;) {
    const CharInfo c = ReadChar(text + at, length - at);
    const auto begin = static_cast<uint32_t>(at);
    at += c.length;
    if (IsRunKind(c.kind)) {
      while (at < length && ContinuesRun(c.kind, text[at])) ++at;
    }
    tokens_.push_back(Token{begin, static_cast<uint32_t>(at), c.unit, c.kind});
  }
}

// Inline: both solvers run it from every token.
template <typename Fn>
inline void Segmenter::ForEachWordAt(const DictImage& dict, const unsigned char* text, size_t i, size_t word_end,
                                     size_t max_word_bytes, Fn&& word) const {
  const Token* const tokens = tokens_.data();  // held apart from the vectors the caller writes
  const Token& first = tokens[i];
  // The first character steps from the root's table, every later one from
  // its node: two loops, so that no step asks which.
  const Node* node;
  if (IsRunKind(first.kind)) {
    node = dict.RootChild(text[first.begin]);
    for (uint32_t at = first.begin + 1; at < first.end && node != nullptr; ++at) node = dict.ChildOf(*node, text[at]);
  } else {
    node = dict.RootChild(first.unit);
  }
  if (node == nullptr || (max_word_bytes > 0 && first.end - first.begin > max_word_bytes)) return;
  if (node->entry != 0) word(i, node);
  for (size_t j = i + 1; j < word_end; ++j) {
    const Token& t = tokens[j];
    if (max_word_bytes > 0 && t.end - first.begin > max_word_bytes) break;
    // A run's characters are its bytes; other tokens are one character.
    if (IsRunKind(t.kind)) {
      for (uint32_t at = t.begin; at < t.end && node != nullptr; ++at) node = dict.ChildOf(*node, text[at]);
    } else {
      node = dict.ChildOf(*node, t.unit);
    }
    if (node == nullptr) break;
    if (node->entry != 0) word(j, node);
  }
}

void Segmenter::Solve(const DictImage& dict, const unsigned char* text, size_t max_word_bytes) {
  const size_t n = tokens_.size();
  // Every token's route, next and entry are written below before they are
  // read, so the buffers only grow: most texts segmented are single words
  // of the general-word tests, where filling them cost as much as the walk.
  if (route_.size() < n + 1) {
    route_.resize(n + 1);
    next_.resize(n + 1);
    entry_.resize(n + 1);
  }
  route_[n] = 0.0;
  const double floor = dict.MinLogProb();
  // The first token after i that no word may hold: a walk from i stops
  // there, so the tokens it passes need no test of their own.
  size_t word_end = n;
  for (size_t i = n; i-- > 0;) {
    const Token& first = tokens_[i];
    double best = -std::numeric_limits<double>::infinity();
    uint32_t best_next = 0;
    const Node* best_node = nullptr;
    if (!IsWordKind(first.kind)) {
      word_end = i;
    } else {
      ForEachWordAt(dict, text, i, word_end, max_word_bytes, [&](size_t j, const Node* node) {
        const double candidate = node->log_prob + route_[j + 1];
        if (candidate >= best) {  // ties go to the longer word
          best = candidate;
          best_next = static_cast<uint32_t>(j + 1);
          best_node = node;
        }
      });
    }
    if (best_next == 0) {
      best = floor + route_[i + 1];
      best_next = static_cast<uint32_t>(i + 1);
    }
    route_[i] = best;
    next_[i] = best_next;
    entry_[i] = best_node == nullptr ? 0 : best_node->entry;
  }
}

// The same walk as Solve, with a score that is a pair: the tokens covered
// by user words first, the log probability second. Kept apart so that the
// common case, no user words, runs exactly as it did.
void Segmenter::SolveWithUserWords(const DictImage& dict, const UserWords& user, const unsigned char* text,
                                   size_t length, size_t max_word_bytes) {
  const size_t n = tokens_.size();
  route_.assign(n + 1, 0.0);
  next_.assign(n + 1, 0);
  entry_.assign(n + 1, 0);
  cover_.assign(n + 1, 0);
  user_word_.assign(n + 1, nullptr);
  const double floor = dict.MinLogProb();
  size_t word_end = n;
  for (size_t i = n; i-- > 0;) {
    const Token& first = tokens_[i];
    double best = -std::numeric_limits<double>::infinity();
    uint32_t best_cover = 0;
    uint32_t best_next = 0;
    const Node* best_node = nullptr;
    const UserWords::Word* best_user = nullptr;
    auto better = [&](uint32_t cover, double score) {
      return cover > best_cover || (cover == best_cover && score >= best);
    };
    if (!IsWordKind(first.kind)) {
      word_end = i;
    } else {
      ForEachWordAt(dict, text, i, word_end, max_word_bytes, [&](size_t j, const Node* node) {
        const double candidate = node->log_prob + route_[j + 1];
        if (better(cover_[j + 1], candidate)) {
          best = candidate;
          best_cover = cover_[j + 1];
          best_next = static_cast<uint32_t>(j + 1);
          best_node = node;
        }
      });
    }
    if (best_next == 0) {
      best = floor + route_[i + 1];
      best_cover = cover_[i + 1];
      best_next = static_cast<uint32_t>(i + 1);
    }
    // A user word may hold any tokens (C++, C#), but must end where one
    // does. It scores as certain; its cover decides first.
    user.ForEachAt(text, first.begin, length, [&](const UserWords::Word& w, size_t end) {
      size_t j = i;
      while (j < n && tokens_[j].end < end) ++j;
      if (j == n || tokens_[j].end != end) return;
      const auto cover = static_cast<uint32_t>(j + 1 - i) + cover_[j + 1];
      const double candidate = route_[j + 1];
      if (better(cover, candidate)) {
        best = candidate;
        best_cover = cover;
        best_next = static_cast<uint32_t>(j + 1);
        best_node = nullptr;
        best_user = &w;
      }
    });
    route_[i] = best;
    cover_[i] = best_cover;
    next_[i] = best_next;
    entry_[i] = best_node == nullptr ? 0 : best_node->entry;
    user_word_[i] = best_user;
  }
}

void Segmenter::Run(const DictImage& dict, const char* text, size_t length, size_t max_word_bytes,
                    std::vector<Segment>* out, const UserWords* user) {
  out->clear();
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  Tokenize(p, length);
  if (user == nullptr || user->size() == 0) {
    Solve(dict, p, max_word_bytes);
  } else {
    SolveWithUserWords(dict, *user, p, length, max_word_bytes);
  }
  const bool with_user = user != nullptr && user->size() > 0;
  for (size_t i = 0; i < tokens_.size(); i = next_[i]) {
    int16_t code;
    if (with_user && user_word_[i] != nullptr) code = static_cast<int16_t>(user_word_[i]->code);
    else code = entry_[i] != 0 ? static_cast<int16_t>(dict.CodeOf(entry_[i])) : CodeOfKind(tokens_[i].kind);
    out->push_back(Segment{tokens_[next_[i] - 1].end, code});
  }
}

}  // namespace lexmill
