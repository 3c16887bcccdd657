#include "ui/skin/SkinConfig.h"

namespace UI {

void _SkinConfig::Release() { delete this; }

}  // namespace UI
