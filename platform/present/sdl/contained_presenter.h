// The presenter the window module hands out. The programs carry their C++ runtime inside
// them while this module uses the shared one, so a windowed run holds two: nothing of C++
// may cross the module's interface. The interface passes plain records only (frames,
// events, areas, C strings), and this presenter runs every method of the module's own
// inside the module, catching whatever it throws: the method reports it on standard error
// and answers as a presenter that failed (false, no event, nothing shown), and the program
// carries on.
#pragma once

#include <memory>

#include "present/presenter.h"

namespace vantor::platform {

std::unique_ptr<Presenter> Contained(std::unique_ptr<Presenter> inner);

}  // namespace vantor::platform
