#include "MainFrame.h"

#include "Account.h"
#include "ResourceIds.h"

// Another account's home timeline is not this one's: its statuses, protected
// ones included, leave the list and the detail pane at once, and the new
// account's are fetched as soon as no fetch runs. The pictures stay: they
// are public and keyed by name.
void MainFrame::ApplySavedSettings(const SettingValues& saved)
{
    settings = saved;
    reloadInterval = ReloadIntervalFrom(settings.interval);
    readingPlace.SetAccount(settings.user);
    if (ChangeAccount(settings.user, settings.password)) {
        fetchPending = true;
        readingPlace.StartOver();
        if (timelineView.handle != nullptr) {
            // Refreshed whatever the new count is: it may match the old one.
            refreshWanted = true;
            RefreshList();
            TimelineEntry nothing = {};
            detailView.ShowEntry(nothing);
            detailView.ClearLabels();
        }
    }
    // A changed mute list shows at once, without a fetch.
    if (timelineView.handle != nullptr)
        ApplyMutes(settings.mutes);
    else
        shownMutes = settings.mutes;
    UISetCheck(autoReloadCommand, true);
}
