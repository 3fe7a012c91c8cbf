// Reaching the records behind map entries, for the stages that follow
// map values into the per-call tables.
//
// A map value is an index into a table of fixed capacity. One that does not
// index the table can only come from a broken map; it raises
// std::out_of_range, which the stage reports like any other exception,
// instead of reading or writing outside the table.
#ifndef TARNIX_COMMON_TERM_ACCESS_H_
#define TARNIX_COMMON_TERM_ACCESS_H_

#include <cstdint>
#include <stdexcept>

#include "tarnix/records.h"

namespace tarnix {

inline void CheckIndex(int32_t index, int32_t capacity) {
  if (index < 0 || index >= capacity) throw std::out_of_range("term index outside its table");
}

template <typename Record>
Record& RecordAt(Record* table, int32_t index, int32_t capacity) {
  CheckIndex(index, capacity);
  return table[index];
}

// Whether a record count fits a table of the given capacity.
inline bool CountFits(int32_t count, int32_t capacity) { return count >= 0 && count <= capacity; }

}  // namespace tarnix

#endif  // TARNIX_COMMON_TERM_ACCESS_H_
