#pragma once
// The five buttons' clicks and the form's handlers, paired once for every window.
#include <functional>

#include "ui/MainView.h"

namespace zorv {

class TZorvGSMDemoMainForm;

// Hands each button's handler to Bind, which connects it to the window's button.
using TButtonBinder = std::function<void(TButtonId, std::function<void()>)>;
void BindFormButtons(TZorvGSMDemoMainForm& Form, const TButtonBinder& Bind);

}  // namespace zorv
