#pragma once
// Strict checks of the run description's numbers, one entry (one text box, one line) at a time:
// the engine reads its run description with them, and a front end can judge its boxes with the
// same rules before it writes them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kova {

enum class EntryFault {
  kNone,
  kMissing,             // nothing but white space
  kNoNumber,            // "abc", "inf", "."
  kNotWhole,            // "5.5" or "1e3" where a whole number is due
  kDecimalComma,        // "0,85"
  kTrailingCharacters,  // "85%", "12x": a number directly followed by other characters
  kTooLarge,            // a whole number beyond a signed 32-bit integer
  kOutOfRange,          // a threshold outside -1 to 1
};

struct WholeNumberEntry {
  std::int32_t value = 0;  // meaningful only without a fault
  EntryFault fault = EntryFault::kNone;
  bool ok() const { return fault == EntryFault::kNone; }
};

struct ThresholdEntry {
  double value = 0.0;  // meaningful only without a fault
  EntryFault fault = EntryFault::kNone;
  std::optional<double> suggestion;  // what the user probably meant, e.g. 0.85 for "85" or "0,85"
  bool ok() const { return fault == EntryFault::kNone; }
};

// `entry` is the text of one entry; white space around it is ignored. A whole number is an
// optionally signed run of digits; a threshold a real number of the shared grammar, from -1 to 1.
WholeNumberEntry check_whole_number(std::string_view entry);
ThresholdEntry check_threshold(std::string_view entry);

// One sentence for the user, e.g. "the number of samples '5.5' is not a whole number" or
// "the correlation threshold 85 lies outside -1 to 1: did you mean 0.85?". `what` names the entry;
// empty when the entry has no fault.
std::string describe_entry(std::string_view what, std::string_view entry, const WholeNumberEntry& check);
std::string describe_entry(std::string_view what, std::string_view entry, const ThresholdEntry& check);

// The same judgement of a threshold that arrives as a number (a command line's, R's): judged as its
// shortest text would be, NaN as "nan" and infinity as "inf"; empty when it is from -1 to 1.
std::string describe_threshold(std::string_view what, double value);

}  // namespace kova
