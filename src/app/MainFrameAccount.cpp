#include "MainFrame.h"

#include "ResourceIds.h"
#include "ServiceSession.h"
#include "TimelineModel.h"

// Another account's home timeline is not this one's: its statuses, protected
// ones included, leave the list and the detail pane at once, and the next
// tick fetches the new account's. The pictures stay: they are public and
// keyed by name. Saved settings also answer a login error whose dialog was
// cancelled, as confirming that dialog does.
void MainFrame::ApplySavedSettings(bool accountChanged, bool loginFailed)
{
    if (accountChanged && StartTimelineOver()) {
        // Refreshed whatever the new count is: it may match the old one.
        shownCount = -1;
        RefreshList();
        TimelineEntry nothing = {};
        detailView.ShowEntry(nothing);
        detailView.ClearLabels();
        tickCount = reloadInterval + 1;
    }
    // The dialog has already set the login state back to ready.
    if (loginFailed && !UIGetCheck(autoReloadCommand))
        UISetCheck(autoReloadCommand, true);
}
