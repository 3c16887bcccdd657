// Built when the build has no X11: there is no system display to present on.
#include "display/Presenter.h"

namespace display {

std::unique_ptr<Presenter> MakeSystemPresenter() { return nullptr; }

}  // namespace display
