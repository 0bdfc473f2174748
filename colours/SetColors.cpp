#include "colours/SetColors.h"

#include "colours/ColourDialog.h"
#include "shell/AppContext.h"
#include "shell/MainView.h"
#include "shell/Platform.h"

void SetColors(AppContext &app, MainView &view)
{
    ColourDialog dialog(app.state, view.widget());
    app.platform.execModal(dialog);
}
