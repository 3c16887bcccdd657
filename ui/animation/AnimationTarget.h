#pragma once
// What an animation moves: a value in memory of one numeric type, and the
// range each value runs through.

namespace UI {

enum TARGET_TYPE { TARGET_UINT8 = 0, TARGET_INT32 = 1, TARGET_UINT32 = 2, TARGET_FLOAT = 3, TARGET_DOUBLE = 4 };
enum FORMULA_TYPE { FORMULA_LINEAR = 0, FORMULA_POW = 1 };
enum ANIMATION_STATE { ANIMATION_NOTBEGIN = 0, ANIMATION_RUNNING = 1, ANIMATION_STOPPED = 3 };

class AnimationTarget {
 public:
  AnimationTarget(void* address, TARGET_TYPE type) : m_pAddress(address), m_type(type) {}

  // Integer types take the value rounded to the nearest integer (ties to
  // even); a byte keeps the low 8 bits. An unknown type stores nothing.
  void SetValue(double v);
  // The value as double; 0 for an unknown type.
  double GetValue() const;
  TARGET_TYPE GetType() const { return m_type; }
  // Bytes between consecutive values of `type` (0 for an unknown type).
  static unsigned Stride(TARGET_TYPE type);

 private:
  void* m_pAddress;
  TARGET_TYPE m_type;
};

struct AnimationRange {
  double from = 0;
  double to = 0;
  double power = 1.0;  // the exponent of the power formula
};

}  // namespace UI
