// Position codes of the terms Extend_KVR delivers in ArticleTerm.position:
// the article field a term was found in. 0 and 1 are the codes Tarnix gives
// a meaning to (abstract, title); 2 to 5 are the engine's own and Tarnix only
// counts them per code.
//
// Other ArticleTerm fields the engine sets:
//   frequency   occurrences of the term in that field (kind 1), in the whole
//               article (kind 2);
//   weight      100 times the term model's probability that the term is a
//               keyword (term_model.h; without a model, tf-idf). Chinese: an
//               author keyword above every other term, divided by what
//               Tarnix's class step will multiply it by (see WeighByModel),
//               spread over the fields by occurrences (kind 1); the whole
//               weight (kind 2). English: the term's weight, the same in
//               every record (kind 1); author keywords 100 (kind 2);
//   class_code  the class the term is most strongly associated with when its
//               chi-square statistic reaches half the threshold, else empty;
//   second_word Chinese: the term's words separated by blanks; English: the
//               lower-cased phrase with its last word singular;
//   reserved1   number of words in the term;
//   reserved2   byte offset of its first occurrence in the field;
//   reserved3   number of distinct fields it occurs in.
#ifndef TARNIX_ENGINES_EXTEND_KVR_POSITIONS_H_
#define TARNIX_ENGINES_EXTEND_KVR_POSITIONS_H_

namespace ekvr {

enum Position : int {
  kPosAbstract = 0,
  kPosTitle = 1,
  kPosKeywords = 2,  // author keywords
  kPosBody = 3,      // full text
  kPosJournal = 4,   // journal (magazine) name
  kPosOther = 5,     // the sixth text of EKVR_Init_File2 (anything but "NULL")
  kPositionCount = 6
};

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_POSITIONS_H_
