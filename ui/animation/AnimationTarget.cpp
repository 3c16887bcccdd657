#include "ui/animation/AnimationTarget.h"

#include <cmath>
#include <cstdint>

namespace UI {

void AnimationTarget::SetValue(double v) {
  // Rounding to nearest with ties to even is the default mode.
  const long long rounded = std::llrint(v);
  switch (m_type) {
    case TARGET_UINT8: *static_cast<uint8_t*>(m_pAddress) = static_cast<uint8_t>(rounded & 0xFF); break;
    case TARGET_INT32: *static_cast<int32_t*>(m_pAddress) = static_cast<int32_t>(rounded); break;
    case TARGET_UINT32: *static_cast<uint32_t*>(m_pAddress) = static_cast<uint32_t>(rounded); break;
    case TARGET_FLOAT: *static_cast<float*>(m_pAddress) = static_cast<float>(v); break;
    case TARGET_DOUBLE: *static_cast<double*>(m_pAddress) = v; break;
    default: break;
  }
}

double AnimationTarget::GetValue() const {
  switch (m_type) {
    case TARGET_UINT8: return *static_cast<const uint8_t*>(m_pAddress);
    case TARGET_INT32: return *static_cast<const int32_t*>(m_pAddress);
    case TARGET_UINT32: return *static_cast<const uint32_t*>(m_pAddress);
    case TARGET_FLOAT: return *static_cast<const float*>(m_pAddress);
    case TARGET_DOUBLE: return *static_cast<const double*>(m_pAddress);
    default: return 0;
  }
}

unsigned AnimationTarget::Stride(TARGET_TYPE type) {
  switch (type) {
    case TARGET_UINT8: return 1;
    case TARGET_INT32:
    case TARGET_UINT32:
    case TARGET_FLOAT: return 4;
    case TARGET_DOUBLE: return 8;
    default: return 0;
  }
}

}  // namespace UI
