#pragma once
// What ends a line of a text matrix, for every reader of one: LF, CR LF, or a CR alone (as old Mac
// programs and some spreadsheet exports write). Fed the bytes in order, across blocks.

namespace kova {

class LineEnds {
 public:
  enum class Byte { kOther, kLineEnd, kSecondHalf };  // kSecondHalf: the LF of a CR LF pair

  Byte classify(char c) {
    const bool after_cr = after_cr_;
    after_cr_ = c == '\r';
    if (c == '\r') return Byte::kLineEnd;
    if (c == '\n') return after_cr ? Byte::kSecondHalf : Byte::kLineEnd;
    return Byte::kOther;
  }

 private:
  bool after_cr_ = false;
};

}  // namespace kova
