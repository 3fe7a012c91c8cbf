// The classes of a Chinese article and of its terms, in the scheme of the
// class mode, and what Tarnix's class step makes of them.
#ifndef TARNIX_ENGINES_EXTEND_KVR_ZH_CLASSES_H_
#define TARNIX_ENGINES_EXTEND_KVR_ZH_CLASSES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "article_terms.h"

namespace ekvr {

// The article classes the classifier's classes add up to in the class
// mode of res: in mode 0 the disciplines of one library class share it.
// The same for every article, so the engine works it out once.
struct ClassMerge {
  std::vector<std::string> codes;  // in byte order
  std::vector<int32_t> into;       // each classifier class's entry of codes, -1 for none
};
ClassMerge MergeClasses(const Resources& res);

// Fills out->classes, best first, from the classifier's features of the
// article; returns the classifier's index of the best discipline, -1 when
// there is none. Uses res.merge, or works the merge out when it is null.
int Classify(const Resources& res, const std::vector<const WordClassStats*>& features, Analysis* out);

// The article's best class (Classify's index) in the scheme of the class
// mode, empty when there is none.
std::string TopCode(const Resources& res, int top);

// The class code of the strongest association among the term itself and
// its words, when it reaches the threshold; empty otherwise.
std::string TermClass(const Resources& res, const Term& t);

// The article's classes whose terms Tarnix doubles in its class step (it
// halves all others): the smallest leading group, best first, whose scores
// reach 60 % of their sum; the empty code when there is no class.
std::vector<std::string> LeadingClasses(const std::vector<ClassCandidate>& classes);
// 2 for a term of one of those classes, else 0.5.
double ClassStepFactor(const std::string& code, const std::vector<std::string>& leading);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_ZH_CLASSES_H_
