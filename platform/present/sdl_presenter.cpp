// The real screen: a desktop-covering SDL2 window showing the display mode's frames.
#include "presenter.h"

namespace vantor::platform {

std::unique_ptr<Presenter> MakeSdlPresenter() {
    return nullptr;
}

}  // namespace vantor::platform
