// The C++ side of the exported functions.
#ifndef TARNIX_API_PIPELINE_H_
#define TARNIX_API_PIPELINE_H_

#include <cstdint>

#include "tarnix/records.h"

namespace tarnix {

// Checks the arguments of one article; logs the article line and the
// warnings. On failure *buffer_size becomes 0 (when it can be written).
bool TarnixInputTest(const char* title, const char* abstract, const char* keyword,
                     const char* file, const char* magazine, const char* class_name,
                     KeywordEntry* word_buffer, int32_t* buffer_size);

// The extraction of one article behind Tarnix_Direct: 0 or 9.
int RunDirect(const char* title, const char* abstract, const char* keyword, const char* file,
              const char* magazine, const char* class_name, KeywordEntry* word_buffer,
              int32_t* buffer_size, int type, int class_mode, bool floor_weights);

// Gives back the full-text tables that calls keep between them.
void ReleaseCallTables();

// Tarnix_Initial and Tarnix_FreeDict.
int InitialEngines(int type, bool load_similar);
int FreeDictionaries();

// Word_Normal and Word_Normal_Ten: 0 done, 1 rejected or failed.
int NormaliseToSum(KeywordEntry* word_buffer, const int32_t* buffer_size);
int NormaliseToTenThousand(KeywordEntry* word_buffer, const int32_t* buffer_size);

}  // namespace tarnix

#endif  // TARNIX_API_PIPELINE_H_
