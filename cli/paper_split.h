// An English paper given as one plain text (title on the first line, as
// in the shared English collections) cut into the fields the library
// weighs differently: title, abstract and body. The paper's own keyword
// line is removed, since in an evaluation it is usually the reference.
#ifndef TARNIX_CLI_PAPER_SPLIT_H_
#define TARNIX_CLI_PAPER_SPLIT_H_

#include <string>

namespace tarnix {
namespace cli {

struct PaperParts {
  std::string title;
  std::string abstract;
  std::string body;
};

// How the text was cut, for tests and diagnostics.
enum class SplitKind {
  kHeading,    // an "Abstract" or "Summary" heading was found
  kFirstLine,  // none: first line title, the rest abstract
  kRunIn,      // one long line: the title run into the abstract, or no title
};

// Cuts an English paper:
//  - Keyword lists are dropped wherever they are: a line that starts with
//    a capitalised label ("Keywords:", "Key words", "Index Terms—",
//    "KEYWORDS" with the list on the next line) or has one after a blank
//    ("... results. Key words: a; b"), from the label on, with the lines
//    the list runs on to while they end in "," or ";".
//  - The placeholder "No contact information provided yet.", which some
//    collections give for a missing abstract, is dropped.
//  - The title is the first non-blank line.
//  - An abstract heading within the first 10,000 characters ("Abstract",
//    "ABSTRACT", "Summary" on a line of its own, or as a prefix such as
//    "Abstract—", "ABSTRACT:", "Abstract.", "ABSTRACT The ...") starts
//    the abstract; table-of-contents lines ("Abstract ......ii") are not
//    headings. The lines between title and heading (authors, addresses,
//    a thesis's title page) are dropped. The abstract runs to the next
//    heading ("1 Introduction", "I. INTRODUCTION", "Chapter 1
//    Introduction", "Categories and Subject Descriptors", "General
//    Terms", "Acknowledgements", "Contents", any first numbered section),
//    to a page break, or to 5,000 characters, whichever comes first; page
//    numbers in it are dropped. The body is everything after it.
//  - A text of one line longer than 300 characters is a title run into
//    its abstract: the title ends before the first capitalised word that
//    follows a lower-case word (or, in a title in title case, that a
//    lower-case content word follows), function words aside; without
//    such a word the whole line is the abstract.
//  - Without a heading the text is split as before, long or short: the
//    first line is the title, the rest the abstract. The abstract
//    collections are such texts; the full texts without a heading open
//    with journal mastheads, copyright notices, title pages and contents
//    lists, so neither their first paragraph nor their first long one is
//    a dependable abstract (tried on the collections' training lines, both
//    scored lower than the whole text as abstract).
PaperParts SplitPaper(const std::string& text, SplitKind* kind = nullptr);

}  // namespace cli
}  // namespace tarnix

#endif  // TARNIX_CLI_PAPER_SPLIT_H_
